// The benchmark's extractor through the setup's own archive reader, used the way the copy uses it:
// UNZIPPER hands the entries out with First/Next and ExtractFile writes each into the destination folder.
// Prints one line of totals with the milliseconds taken. Usage: extract_unzipper <archive> <destination>.
#include <windows.h>

#include <cstdio>

#include "benchclock.h"
#include "benchphases.h"
#include "install/unzipper.h"

namespace {

struct TOTALS {
  unsigned long Entries = 0;
  unsigned long Failed = 0;
  unsigned long long Bytes = 0;
  unsigned long long TableBytes = 0;
};

void ExtractAll(const char* archive, const char* destination, TOTALS& totals) {
  UNZIPPER zip(STRING(archive), STRING(""), STRING(""));
  totals.TableBytes = zip.GetTotalSize();
  char name[UNZIPPER_NAMESIZE];
  for (uint64_t size = zip.First(name, sizeof(name)); name[0] != '\0'; size = zip.Next(name, sizeof(name))) {
    totals.Entries++;
    totals.Bytes += size;
    if (!zip.ExtractFile(name, destination)) {
      std::fprintf(stderr, "extract_unzipper: %s failed\n", name);
      totals.Failed++;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: extract_unzipper <archive> <destination folder>\n");
    return 2;
  }
  BenchPhasesInstall();
  TOTALS totals;
  BENCHCLOCK clock;
  ExtractAll(argv[1], argv[2], totals);
  const double ms = clock.Milliseconds();
  std::printf("entries=%lu failed=%lu bytes=%llu ms=%.1f\n", totals.Entries, totals.Failed, totals.Bytes, ms);
  BenchPhasesPrint(stdout, ms);
  if (totals.Bytes != totals.TableBytes) {
    std::fprintf(stderr, "extract_unzipper: walked %llu bytes, the table says %llu\n", totals.Bytes,
                 totals.TableBytes);
    return 1;
  }
  return totals.Entries > 0 && totals.Failed == 0 ? 0 : 1;
}
