/* Where a benchmark program's time goes: its own imports of the system functions that extracting and
   installing call (folders, attribute look-ups, file opens, writes, file times, archive reads, messages,
   registry) are redirected through a stopwatch that adds up calls and time per phase. Bench builds only:
   the product code is neither changed nor slowed by it. */
#ifndef NORBA_BENCH_BENCHPHASES_H
#define NORBA_BENCH_BENCHPHASES_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Redirects the program's imports; call once at the start, before any thread is made. */
void BenchPhasesInstall(void);

/* One line "phases: <name> <calls>x <ms> ms, ..., rest <ms> ms", where rest is `totalms` less the phases
   (reading the table, inflating, names, lists). */
void BenchPhasesPrint(FILE* out, double totalms);

#ifdef __cplusplus
}
#endif

#endif
