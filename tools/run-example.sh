#!/usr/bin/env bash
# The main job: builds the distributable (i686, what ships) and runs setup.exe on the sample product
# in examples/kiv under Wine. 32-bit programs cannot run on these machines, so the run uses the x86_64
# build of the same sources. Prints what the program did: its exit code and, when tracing, its log.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
"$top/tools/build.sh" i686
"$top/tools/check-dist.sh" "$top/build/i686/dist"
"$top/tools/build.sh" x86_64

run=$top/build/example-run
rm -rf "$run"
mkdir -p "$run"
cp "$top"/build/x86_64/dist/* "$run/"
cp -r "$top"/examples/kiv/. "$run/"

env="$top/tools/wine-env.sh"
"$env" start "$top/build/x86_64" >/dev/null
trap '"$env" stop "$top/build/x86_64"' EXIT
echo "Running setup.exe in $run"
set +e
(cd "$run" && "$env" run "$top/build/x86_64" "$run/setup.exe" /LANG:ENGL "/LOGIT:Z:${run//\//\\}\\setup.log" "$@")
code=$?
set -e
echo "setup.exe ended with exit code $code"
if [ -f "$run/setup.log" ]; then echo "--- trace log ---"; cat "$run/setup.log"; fi
echo "Distributable (i686): $top/build/i686/dist"
ls -l "$top/build/i686/dist"
exit $code
