#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the shipped i686 distributable and checks it,
# then builds the x86_64 programs and runs all test programs under wine64 through ctest.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
"$top/tools/build.sh" i686
"$top/tools/check-dist.sh" "$top/build/i686/dist"
"$top/tools/build.sh" x86_64
ctest --test-dir "$top/build/x86_64" --output-on-failure -j 2 "$@"
