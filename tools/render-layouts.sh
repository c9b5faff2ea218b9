#!/usr/bin/env bash
# Renders every dialog layout of the four language libraries of an x86_64 build into PNG pictures,
# <build dir>/layouts/<language>-<layout id>.png, pages inside the wizard frame with their header texts:
#   tools/render-layouts.sh [build dir]      (default build/x86_64; build it first with tools/build.sh)
# Uses the build's Wine environment (tools/wine-env.sh); ends it again when this script started it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/x86_64}" && pwd)
renderer=$build/tools/layoutshots/layoutshots.exe
[ -f "$renderer" ] || { echo "no $renderer: build the x86_64 tree first" >&2; exit 1; }
started=0
if [ ! -f "$build/wine-state/display" ]; then
  "$top/tools/wine-env.sh" start "$build" >/dev/null
  started=1
fi
rm -rf "$build/layouts"
status=0
"$top/tools/wine-env.sh" run "$build" "$renderer" "Z:$build/dist" "Z:$build/layouts" || status=$?
[ $started = 0 ] || "$top/tools/wine-env.sh" stop "$build"
echo "$(ls "$build/layouts" 2>/dev/null | wc -l) pictures in $build/layouts"
exit $status
