// ZIPARCHIVE: opening an archive through minizip with the standard file functions, walking its central
// directory and reading each entry's information with the whole stored name.
#include "install/ziparchive.h"

#include <cctype>
#include <cstring>
#include <vector>

// Names up to this length are read in one go; longer ones take a second read of the same record.
static const unsigned kShortNameSize = 512;

static char FoldNameChar(char c) {
  if (c == '\\') return '/';
  return static_cast<char>(tolower(static_cast<unsigned char>(c)));
}

bool ZipNamesEqual(const char* a, const char* b) {
  for (; *a && *b; a++, b++) {
    if (FoldNameChar(*a) != FoldNameChar(*b)) return false;
  }
  return *a == *b;
}

bool ZIPARCHIVE::Open(const char* path) {
  Close();
  if (!path || !*path) return false;
  zlib_filefunc64_def functions;
  fill_fopen64_filefunc(&functions);
  Handle = unzOpen2_64(path, &functions);
  return Handle != nullptr;
}

bool ZIPARCHIVE::OpenOrZip(const char* path) {
  if (Open(path)) return true;
  if (!path || !*path) return false;
  STRING withzip(path, 1252);
  withzip.Append(".zip");
  return Open(withzip.c_str());
}

void ZIPARCHIVE::Close() {
  if (Handle) unzClose(Handle);
  Handle = nullptr;
}

uint64_t ZIPARCHIVE::EntryCount() const {
  unz_global_info64 info;
  if (!Handle || unzGetGlobalInfo64(Handle, &info) != UNZ_OK) return 0;
  return info.number_entry;
}

int ZIPARCHIVE::GoToFirst() { return Handle ? unzGoToFirstFile(Handle) : UNZ_PARAMERROR; }

int ZIPARCHIVE::GoToNext() { return Handle ? unzGoToNextFile(Handle) : UNZ_PARAMERROR; }

int ZIPARCHIVE::GetPosition(unz64_file_pos* position) const {
  return Handle ? unzGetFilePos64(Handle, position) : UNZ_PARAMERROR;
}

int ZIPARCHIVE::GoTo(const unz64_file_pos& position) {
  return Handle ? unzGoToFilePos64(Handle, &position) : UNZ_PARAMERROR;
}

int ZIPARCHIVE::Locate(const char* name) {
  if (EntryCount() == 0) return UNZ_END_OF_LIST_OF_FILE;
  for (int err = GoToFirst();; err = GoToNext()) {
    if (err != UNZ_OK) return err;
    unz_file_info64 info;
    STRING stored;
    err = ReadCurrentInfo(&info, &stored);
    if (err != UNZ_OK) return err;
    // A stored name with a NUL byte inside is never the name asked for.
    if (static_cast<size_t>(stored.Length()) == strlen(stored.c_str()) && ZipNamesEqual(stored.c_str(), name))
      return UNZ_OK;
  }
}

int ZIPARCHIVE::ReadCurrentInfo(unz_file_info64* info, STRING* name) {
  if (!Handle) return UNZ_PARAMERROR;
  char small[kShortNameSize];
  int err = unzGetCurrentFileInfo64(Handle, info, small, sizeof(small), nullptr, 0, nullptr, 0);
  if (err != UNZ_OK) return err;
  if (info->size_filename < sizeof(small)) {
    *name = STRING(small, static_cast<int>(info->size_filename), 0);
    return UNZ_OK;
  }
  std::vector<char> whole(info->size_filename + 1);
  err = unzGetCurrentFileInfo64(Handle, info, whole.data(), static_cast<uLong>(whole.size()), nullptr, 0, nullptr, 0);
  if (err == UNZ_OK) *name = STRING(whole.data(), static_cast<int>(info->size_filename), 0);
  return err;
}
