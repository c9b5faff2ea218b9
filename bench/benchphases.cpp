// The bench programs' phase counters: every slot of the program's import table that names one of the
// functions below is pointed at a wrapper that times the call and adds it to its phase. The wrappers
// read the performance counter directly: the plain C program that shares them has no OSYS.
#include "benchphases.h"

#include <windows.h>

#include <atomic>
#include <cstring>

// The C runtime's declarations carry attributes (nonnull and the like) that a function type as a template
// argument drops; the wrappers do not need them.
#pragma GCC diagnostic ignored "-Wignored-attributes"

static_assert(sizeof(void*) == 8, "the bench programs are built for x86_64, where system calls have one convention");

namespace {

enum PHASE { FOLDERS, LOOKUPS, OPENS, WRITES, TIMES, CLOSES, READS, MESSAGES, REGISTRY, PHASECOUNT };
const char* const kPhaseNames[PHASECOUNT] = {"folders", "lookups", "opens",    "writes",  "times",
                                             "closes",  "reads",   "messages", "registry"};

struct PHASETOTAL {
  std::atomic<long long> Calls{0};
  std::atomic<long long> Ticks{0};
};
PHASETOTAL gPhases[PHASECOUNT];

long long Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// One wrapper per hooked function: `Original` is the address its import slot held.
template <int Phase, int Id, typename F>
struct TIMED;
template <int Phase, int Id, typename R, typename... A>
struct TIMED<Phase, Id, R (*)(A...)> {
  static void* Original;
  static R Call(A... arguments) {
    long long start = Now();
    R result = reinterpret_cast<R (*)(A...)>(Original)(arguments...);
    gPhases[Phase].Ticks += Now() - start;
    gPhases[Phase].Calls++;
    return result;
  }
};
template <int Phase, int Id, typename R, typename... A>
void* TIMED<Phase, Id, R (*)(A...)>::Original = nullptr;

struct HOOK {
  const char* Name;
  void** Original;
  void* Wrapper;
};

#define BENCH_HOOK_AS(function, phase, id)                                   \
  HOOK {                                                                     \
    #function, &TIMED<phase, id, decltype(&function)>::Original,             \
        reinterpret_cast<void*>(&TIMED<phase, id, decltype(&function)>::Call) \
  }
#define BENCH_HOOK(function, phase) BENCH_HOOK_AS(function, phase, __COUNTER__)

const HOOK kHooks[] = {
    BENCH_HOOK(CreateDirectoryA, FOLDERS),     BENCH_HOOK(CreateDirectoryW, FOLDERS),
    BENCH_HOOK(GetFileAttributesA, LOOKUPS),   BENCH_HOOK(GetFileAttributesW, LOOKUPS),
    BENCH_HOOK(GetFileAttributesExA, LOOKUPS), BENCH_HOOK(SetFileAttributesA, LOOKUPS),
    BENCH_HOOK(FindFirstFileA, LOOKUPS),       BENCH_HOOK(GetFullPathNameA, LOOKUPS),
    BENCH_HOOK(CreateFileA, OPENS),            BENCH_HOOK(CreateFileW, OPENS),
    BENCH_HOOK(fopen, OPENS),                  BENCH_HOOK(WriteFile, WRITES),
    BENCH_HOOK(fwrite, WRITES),                BENCH_HOOK(SetFileTime, TIMES),
    BENCH_HOOK(CloseHandle, CLOSES),           BENCH_HOOK(fclose, CLOSES),
    BENCH_HOOK(fread, READS),                  BENCH_HOOK(fseek, READS),
    BENCH_HOOK(_fseeki64, READS),              BENCH_HOOK(fsetpos, READS),
    BENCH_HOOK(fgetpos, READS),                BENCH_HOOK(ftell, READS),
    BENCH_HOOK(_ftelli64, READS),              BENCH_HOOK(ReadFile, READS),
    BENCH_HOOK(SendMessageA, MESSAGES),        BENCH_HOOK(SendMessageW, MESSAGES),
    BENCH_HOOK(PostMessageA, MESSAGES),        BENCH_HOOK(SendDlgItemMessageW, MESSAGES),
    BENCH_HOOK(RegCreateKeyExA, REGISTRY),     BENCH_HOOK(RegOpenKeyExA, REGISTRY),
    BENCH_HOOK(RegSetValueExA, REGISTRY),      BENCH_HOOK(RegQueryValueExA, REGISTRY),
    BENCH_HOOK(RegDeleteValueA, REGISTRY),     BENCH_HOOK(RegCloseKey, REGISTRY),
};

const HOOK* FindHook(const char* name) {
  for (const HOOK& hook : kHooks) {
    if (strcmp(hook.Name, name) == 0) return &hook;
  }
  return nullptr;
}

// Points one import slot at the wrapper; a function imported twice must resolve to the same address.
void Redirect(ULONG_PTR* slot, const HOOK& hook) {
  void* current = reinterpret_cast<void*>(*slot);
  if (*hook.Original && *hook.Original != current) return;
  DWORD old = 0;
  if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old)) return;
  *hook.Original = current;
  *slot = reinterpret_cast<ULONG_PTR>(hook.Wrapper);
  VirtualProtect(slot, sizeof(*slot), old, &old);
}

}  // namespace

extern "C" void BenchPhasesInstall(void) {
  BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  const IMAGE_NT_HEADERS* headers =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); library->Name;
       library++) {
    DWORD lookup = library->OriginalFirstThunk ? library->OriginalFirstThunk : library->FirstThunk;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + lookup);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
    for (; names->u1.AddressOfData; names++, slots++) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byname = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      const HOOK* hook = FindHook(reinterpret_cast<const char*>(byname->Name));
      if (hook) Redirect(&slots->u1.Function, *hook);
    }
  }
}

extern "C" void BenchPhasesPrint(FILE* out, double totalms) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double rest = totalms;
  fprintf(out, "phases:");
  for (int i = 0; i < PHASECOUNT; i++) {
    double ms = static_cast<double>(gPhases[i].Ticks.load()) * 1000.0 / static_cast<double>(frequency.QuadPart);
    rest -= ms;
    if (gPhases[i].Calls.load() > 0) fprintf(out, " %s %lldx %.0f ms,", kPhaseNames[i], gPhases[i].Calls.load(), ms);
  }
  fprintf(out, " rest %.0f ms\n", rest);
}
