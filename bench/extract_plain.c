/* The benchmark's baseline: a plain minizip loop that opens every entry in archive order, reads it in
   64 KiB pieces and writes it below the destination folder. Quiet: it prints one line of totals with the
   milliseconds the extraction took. Usage: extract_plain <archive> <destination folder>. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "benchphases.h"
#include "unzip.h"

#define BUFFER_SIZE (64 * 1024)
#define PATH_SIZE 1024

struct totals {
  unsigned long entries;
  unsigned long files;
  unsigned long long bytes;
};

/* Stored names come from the archive: nothing absolute, no drive or stream, no ".." component. */
static int is_safe_name(const char* name) {
  const char* part = name;
  if (name[0] == '/' || name[0] == '\\' || strchr(name, ':') != NULL) return 0;
  while (*part) {
    size_t len = strcspn(part, "/\\");
    if (len == 2 && part[0] == '.' && part[1] == '.') return 0;
    part += len;
    if (*part) part++;
  }
  return 1;
}

/* destination + '\' + name with Windows separators; 0 when it does not fit. */
static int join_path(char* out, size_t size, const char* destination, const char* name) {
  char* p;
  int written = snprintf(out, size, "%s\\%s", destination, name);
  if (written < 0 || (size_t)written >= size) return 0;
  for (p = out; *p; p++) {
    if (*p == '/') *p = '\\';
  }
  return 1;
}

/* Creates every folder of `path` up to its last separator (or the whole path when `whole`). */
static void make_folders(char* path, int whole) {
  char* p;
  for (p = path + 1; *p; p++) {
    if (*p == '\\') {
      *p = '\0';
      CreateDirectoryA(path, NULL);
      *p = '\\';
    }
  }
  if (whole) CreateDirectoryA(path, NULL);
}

static FILE* create_output(char* path) {
  FILE* out = fopen(path, "wb");
  if (out == NULL) {
    make_folders(path, 0);
    out = fopen(path, "wb");
  }
  return out;
}

/* Copies the current entry into `path`; 1 on success. */
static int copy_entry(unzFile zip, char* path, char* buffer, unsigned long long* bytes) {
  int ok = 1;
  int got;
  FILE* out;
  if (unzOpenCurrentFile(zip) != UNZ_OK) return 0;
  out = create_output(path);
  if (out == NULL) {
    unzCloseCurrentFile(zip);
    return 0;
  }
  while ((got = unzReadCurrentFile(zip, buffer, BUFFER_SIZE)) > 0) {
    if (fwrite(buffer, 1, (size_t)got, out) != (size_t)got) {
      ok = 0;
      break;
    }
    *bytes += (unsigned long long)got;
  }
  if (got < 0) ok = 0;
  if (fclose(out) != 0) ok = 0;
  if (unzCloseCurrentFile(zip) != UNZ_OK) ok = 0; /* CRC mismatch */
  return ok;
}

static int extract_current(unzFile zip, const char* destination, char* buffer, struct totals* sum) {
  char name[PATH_SIZE];
  char path[PATH_SIZE];
  size_t len;
  if (unzGetCurrentFileInfo(zip, NULL, name, sizeof(name), NULL, 0, NULL, 0) != UNZ_OK) return 0;
  name[sizeof(name) - 1] = '\0';
  sum->entries++;
  if (!is_safe_name(name) || !join_path(path, sizeof(path), destination, name)) return 0;
  len = strlen(name);
  if (len > 0 && (name[len - 1] == '/' || name[len - 1] == '\\')) {
    make_folders(path, 1);
    return 1;
  }
  sum->files++;
  return copy_entry(zip, path, buffer, &sum->bytes);
}

static int extract_all(const char* archive, const char* destination, struct totals* sum) {
  static char buffer[BUFFER_SIZE];
  int ok = 1;
  int step;
  unzFile zip = unzOpen64(archive);
  if (zip == NULL) {
    fprintf(stderr, "extract_plain: cannot open %s\n", archive);
    return 0;
  }
  for (step = unzGoToFirstFile(zip); step == UNZ_OK; step = unzGoToNextFile(zip)) {
    if (!extract_current(zip, destination, buffer, sum)) {
      fprintf(stderr, "extract_plain: entry %lu failed\n", sum->entries);
      ok = 0;
    }
  }
  if (step != UNZ_END_OF_LIST_OF_FILE) ok = 0;
  unzClose(zip);
  return ok;
}

int main(int argc, char** argv) {
  struct totals sum = {0, 0, 0};
  LARGE_INTEGER frequency, start, end;
  int ok;
  if (argc != 3) {
    fprintf(stderr, "usage: extract_plain <archive> <destination folder>\n");
    return 2;
  }
  CreateDirectoryA(argv[2], NULL);
  BenchPhasesInstall();
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  ok = extract_all(argv[1], argv[2], &sum);
  QueryPerformanceCounter(&end);
  printf("entries=%lu files=%lu bytes=%llu ms=%.1f\n", sum.entries, sum.files, sum.bytes,
         (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart);
  BenchPhasesPrint(stdout, (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart);
  return ok ? 0 : 1;
}
