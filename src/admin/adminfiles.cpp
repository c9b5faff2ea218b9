// The file commands COPYFILE and DELETEFILE: paths exactly as the command line gives them (with the
// placeholders a FILENAME expands); result 1 when the copy or deletion succeeded, else 0.
#include "admin/admincommand.h"
#include "base/filename.h"

// Fields: source, target, overwrite flag. Without the flag an existing target makes the copy fail.
void AdminCopyFile(const ADMINCOMMAND& command, int* result) {
  FILENAME source(command.Field(0));
  *result = source.CopyTo(command.Field(1), command.Number(2) != 0) ? 1 : 0;
}

void AdminDeleteFile(const ADMINCOMMAND& command, int* result) {
  *result = FILENAME(command.Field(0)).Delete() ? 1 : 0;
}
