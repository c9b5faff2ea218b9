#!/usr/bin/env bash
# The extraction benchmark: builds the x86_64 tree and the bench programs, generates the archives once, and
# extracts them under Wine through UNZIPPER, a plain minizip loop and miniunz, best of several runs each; then
# the uninstaller's removal of the extracted tree against a plain deleting loop.
# Usage: bench/run.sh [build dir]  (default build/x86_64). BENCH_RUNS: rounds, 5; BENCH_SCALING_RUNS: rounds
# with the scaling pair, 3; BENCH_DEST: where the extracted trees go.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/x86_64}
runs=${BENCH_RUNS:-5}
scaling_runs=${BENCH_SCALING_RUNS:-3}
scaling_goal=1.05
plain_goal=1.05
copy_goal=1.10
install_goal=1.20
logit_goal=1.10
removal_goal=1.30
wine_env=$top/tools/wine-env.sh

"$top/tools/install-deps.sh"
mkdir -p "$build/bench"
build=$(cd "$build" && pwd)
bench=$build/bench
archives=$bench/archives
work=$bench/work
mkdir -p "$archives" "$work"

# The build's output goes to a log that is shown only when the build fails.
echo "Building $build and its bench target"
{ "$top/tools/build.sh" x86_64 "$build" && cmake --build "$build" --target bench; } >"$work/build.log" 2>&1 || {
  tail -n 40 "$work/build.log" >&2
  exit 1
}

# make_archive <file name> <make_archive.py arguments>: generated once, again only when the script changed.
make_archive() {
  local file=$archives/$1
  shift
  if [ ! -f "$file" ] || [ "$top/bench/make_archive.py" -nt "$file" ]; then
    echo "Generating $(basename "$file") (once)"
    python3 "$top/bench/make_archive.py" "$@" "$file"
  fi
}

# The Windows name of a file of this machine (drive Z: is the root).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Boots the Wine environment; it is ended at exit only when this script started it (a running ctest keeps
# its own). Wine's desktop process ends a few seconds after the last program that had user32 loaded, and
# starting it again costs the next such program (extract_unzipper) about ten seconds; a notepad held open
# for the whole run keeps the desktop up, so that only the extraction differs between the programs.
wine_started=0
desktop_pid=""
boot_wine() {
  if ! { [ -f "$build/wine-state/xvfb.pid" ] && kill -0 "$(cat "$build/wine-state/xvfb.pid")" 2>/dev/null; }; then
    wine_started=1
    "$wine_env" start "$build" >/dev/null
  fi
  "$wine_env" run "$build" 'C:\windows\system32\notepad.exe' >/dev/null 2>&1 </dev/null &
  desktop_pid=$!
  sleep 2
}

# Where the extracted trees go: a file system in memory by default. On this machine's disk, creating tens
# of thousands of files soon after deleting as many costs the file system more than the extractors do
# (ext4 without a journal searches past recently deleted inodes), and that noise would swamp the ratios.
# BENCH_DEST=<folder> chooses another place; on a disk the trees are kept until the end for that reason.
choose_trees() {
  local root=${BENCH_DEST:-}
  if [ -z "$root" ] && [ -d /dev/shm ] && [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt 1048576 ]; then
    root=/dev/shm
  fi
  trees=${root:-$work}/norba-bench.$$
  mkdir -p "$trees"
  keep_trees=1
  [ "$(stat -f -c %T "$trees")" != tmpfs ] || keep_trees=0
}

clean_up() {
  [ -z "$desktop_pid" ] || kill "$desktop_pid" 2>/dev/null || true
  [ $wine_started -eq 0 ] || "$wine_env" stop "$build"
  [ -z "${trees:-}" ] || rm -rf "$trees"
}

# smaller <a> <b>: the smaller of two numbers of milliseconds; an empty one counts as none.
smaller() {
  if [ -z "$2" ] || { [ -n "$1" ] && [ "$1" -lt "$2" ]; }; then echo "$1"; else echo "$2"; fi
}

# A path as the answer files write it: backslashes doubled.
escaped() { local path=$1; printf '%s' "${path//\\/\\\\}"; }

# install_once <folder> <options>: setup.exe run hidden and unattended in its package folder, the answers
# choosing <folder>; the uninstall record it wrote is deleted again (outside the measured time), so that
# every run is a new installation.
install_once() {
  local dest=$1 rc=0
  shift
  printf '%s\r\n' "2001.PUSH=149" "2003.301=CB:1" "2003.PUSH=149" "2002.201=EF:$(escaped "$(windows_path "$dest")")" \
    "2002.PUSH=149" "2004.PUSH=149" "2005.403=RB:1" "2005.PUSH=149" "2009.PUSH=0" >"$install_setup/silentsetup.ini"
  t0=$(date +%s%N)
  (cd "$install_setup" && "$wine_env" run "$build" "$install_setup/setup.exe" /HIDE "$@") >"$work/out" 2>&1 </dev/null || rc=$?
  t1=$(date +%s%N)
  "$wine_env" run "$build" reg delete "HKLM\\$install_record" /f >/dev/null 2>&1 </dev/null || true
  return $rc
}

# run_extractor <program> <archive> <folder> <options>: one extraction under Wine, its output in $work/out;
# t0 and t1 are the nanoseconds around the Wine process.
run_extractor() {
  local program=$1 archive=$2 dest=$3
  shift 3
  if [ "$program" = setup ]; then
    install_once "$dest" "$@"
    return
  fi
  if [ "$program" = miniunz ]; then
    set -- "$@" "$(windows_path "$archive")" -d "$(windows_path "$dest")"
  else
    set -- "$@" "$(windows_path "$archive")" "$(windows_path "$dest")"
  fi
  t0=$(date +%s%N)
  "$wine_env" run "$build" "$bench/$program.exe" "$@" >"$work/out" 2>&1 </dev/null
  t1=$(date +%s%N)
}

# extract_once <label> <archive> <program> [options]: one extraction into a fresh folder, checked against
# the archive. Keeps the best work and wall milliseconds per label, the breakdown of the best work run and
# the verifier's line.
declare -A best_work best_wall verified phases
extract_once() {
  local label=$1 archive=$2 program=$3 dest=$trees/$round-$1 t0 t1 took rc=0
  shift 3
  mkdir -p "$dest"
  run_extractor "$program" "$archive" "$dest" "$@" || rc=$?
  if [ $rc -ne 0 ]; then
    echo "$label failed with exit code $rc:" >&2
    tail -n 5 "$work/out" >&2
    exit 1
  fi
  if ! python3 "$top/bench/verify_tree.py" "$archive" "$dest" >"$work/verify"; then
    echo "$label extracted a different tree:" >&2
    cat "$work/verify" >&2
    exit 1
  fi
  [ $keep_trees -eq 1 ] || rm -rf "$dest"
  took=$(sed -n 's/.*ms=\([0-9]*\).*/\1/p' "$work/out")
  printf '  %-14s work %6s ms   wall %6s ms\n' "$label" "${took:--}" $(((t1 - t0) / 1000000))
  best_wall[$label]=$(smaller $(((t1 - t0) / 1000000)) "${best_wall[$label]:-}")
  if [ -n "$took" ] && [ "$(smaller "$took" "${best_work[$label]:-}")" = "$took" ]; then
    phases[$label]=$(sed -n 's/^phases: //p' "$work/out")
  fi
  best_work[$label]=$(smaller "$took" "${best_work[$label]:-}")
  verified[$label]=$(sed 's/^verify: //' "$work/verify")
}

# remove_once <label> removal|plain: the large archive extracted by the plain loop into a fresh folder (not
# timed), then removed by remove_tree in that mode; the tree must be gone. Keeps the best work milliseconds.
remove_once() {
  local label=$1 mode=$2 dest=$trees/$round-$1 took
  mkdir -p "$dest"
  run_extractor extract_plain "$archives/large.zip" "$dest"
  if ! "$wine_env" run "$build" "$bench/remove_tree.exe" "$mode" "$(windows_path "$dest")" >"$work/out" 2>&1 </dev/null; then
    echo "$label left the tree behind:" >&2
    tail -n 5 "$work/out" >&2
    exit 1
  fi
  rm -rf "$dest"
  took=$(sed -n 's/.*ms=\([0-9]*\).*/\1/p' "$work/out")
  printf '  %-14s work %6s ms   %s\n' "$label" "${took:--}" "$(sed -n 's/ ms=.*//p' "$work/out")"
  best_work[$label]=$(smaller "$took" "${best_work[$label]:-}")
  best_wall[$label]=-
  verified[$label]="tree gone"
}

report() {
  local label=$1
  printf '  %-14s work %6s ms   wall %6s ms   %s\n' "$label" "${best_work[$label]:--}" "${best_wall[$label]}" \
    "${verified[$label]}"
  [ -z "${phases[$label]:-}" ] || printf '  %-14s where: %s\n' "" "${phases[$label]}"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

make_archive large.zip large
make_archive small10000.zip small 10000
make_archive small20000.zip small 20000

# The copy step reads "setup.fil" and "setup.cfg" from its working folder: the large archive under that
# name (a hard link, so nothing is copied), with file types and a URL protocol to register.
copy_setup=$work/copysetup
mkdir -p "$copy_setup"
ln -f "$archives/large.zip" "$copy_setup/setup.fil" 2>/dev/null || cp "$archives/large.zip" "$copy_setup/setup.fil"
printf '%s\r\n' "AppName=Kiv Bench" "AppVersion=8.10" "IniKey=KivBench" "ServiceExe=service.exe" \
  "FileTypes=.kivbench;KivBench.Session=Kiv bench session;kiv.exe %1;kiv.exe" \
  "UrlTypes=kivbench;KivBench.Url;kiv.exe %1;kiv.exe" >"$copy_setup/setup.cfg"
# The whole installation: setup.exe with the English library, the large archive as "setup.fil" and a
# setup.cfg of a product of its own (DeleteAfterExtract takes the agreement record out again, so that the
# tree is the archive's alone); its answers are written for each run.
install_setup=$work/installsetup
install_record='Software\Microsoft\Windows\CurrentVersion\Uninstall\NorbaBenchInstall'
mkdir -p "$install_setup"
cp "$build/dist/setup.exe" "$build/dist/setupenglish.dll" "$install_setup/"
ln -f "$archives/large.zip" "$install_setup/setup.fil" 2>/dev/null || cp "$archives/large.zip" "$install_setup/setup.fil"
printf '%s\r\n' "AppName=Bench Install" "AppVersion=1.00" "IniKey=NorbaBenchInstall" "StartmenuName=Bench Install" \
  "DeleteAfterExtract=LicenseAgreed.txt" >"$install_setup/setup.cfg"
trace=$work/install-trace.log
trap clean_up EXIT
choose_trees
boot_wine

# The extractors take turns in every round, so that a busy machine slows all of them alike.
for round in $(seq 1 "$runs"); do
  echo "Round $round of $runs (${SECONDS} s so far)"
  extract_once plain "$archives/large.zip" extract_plain
  extract_once unzipper "$archives/large.zip" extract_unzipper
  extract_once copy "$copy_setup/setup.fil" copy_setup
  extract_once miniunz "$archives/large.zip" miniunz -x -o
  extract_once install "$archives/large.zip" setup
  rm -f "$trace"
  extract_once install-logit "$archives/large.zip" setup "/LOGIT:$(windows_path "$trace")"
  [ -s "$trace" ] || { echo "install-logit wrote no trace to $trace" >&2; exit 1; }
  remove_once remove-plain plain
  remove_once removal removal
  # The scaling pair takes four times as long as the rest of a round: it runs in the first rounds only.
  [ "$round" -le "$scaling_runs" ] || continue
  extract_once plain-10000 "$archives/small10000.zip" extract_plain
  extract_once unzipper-10000 "$archives/small10000.zip" extract_unzipper
  extract_once plain-20000 "$archives/small20000.zip" extract_plain
  extract_once unzipper-20000 "$archives/small20000.zip" extract_unzipper
done

echo "Best of $runs rounds under Wine, the scaling pair of $scaling_runs (work: measured inside the extractor;"
echo "wall: the whole Wine process)"
echo "large.zip, $(($(stat -c %s "$archives/large.zip") / 1000000)) MB packed:"
report plain
report unzipper
report copy
report miniunz
echo "unzipper/plain = $(ratio "${best_work[unzipper]}" "${best_work[plain]}")   (work; goal at most $plain_goal)"
echo "copy/plain = $(ratio "${best_work[copy]}" "${best_work[plain]}")   (work up to the uninstall record; goal at most $copy_goal)"
echo "unzipper/plain wall = $(ratio "${best_wall[unzipper]}" "${best_wall[plain]}")"
echo "unzipper/miniunz = $(ratio "${best_wall[unzipper]}" "${best_wall[miniunz]}")   (wall; miniunz has no work time)"
echo "The whole installation, setup.exe hidden and unattended (wall: Wine's process start included in both figures):"
report install
report install-logit
echo "  trace of the last /LOGIT run: $(wc -l <"$trace") lines, $(($(stat -c %s "$trace") / 1000)) kB; its time"
echo "  $(python3 "$top/bench/install_phases.py" "$trace")"
echo "install/plain wall = $(ratio "${best_wall[install]}" "${best_wall[plain]}")   (goal at most $install_goal)"
echo "install /LOGIT/without wall = $(ratio "${best_wall[install-logit]}" "${best_wall[install]}")   (goal at most $logit_goal)"
echo "The removal of the installed tree (the large archive's 2,218 files):"
report remove-plain
report removal
echo "removal/plain = $(ratio "${best_work[removal]}" "${best_work[remove-plain]}")   (work; goal at most $removal_goal)"
# BENCH_SCALING_RUNS=0 leaves the scaling pair out.
[ "$scaling_runs" -gt 0 ] || exit 0
echo "Scaling pair:"
report plain-10000
report unzipper-10000
report plain-20000
report unzipper-20000
scaling=$(ratio "${best_work[unzipper-20000]}" "${best_work[unzipper-10000]}")
plain_scaling=$(ratio "${best_work[plain-20000]}" "${best_work[plain-10000]}")
echo "20000/10000 entries = $scaling   (unzipper work)"
echo "20000/10000 entries plain = $plain_scaling   (the file system's own growth)"
relative=$(ratio "$scaling" "$plain_scaling")
echo "scaling unzipper/plain = $relative   (goal at most $scaling_goal)"
if awk -v s="$relative" -v l="$scaling_goal" 'BEGIN { exit !(s > l) }'; then
  echo "FAIL: twice the entries cost the unzipper more than $scaling_goal times what they cost the plain loop" >&2
  exit 1
fi
