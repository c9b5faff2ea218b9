#!/usr/bin/env bash
# Configures and builds one architecture: tools/build.sh i686|x86_64 [build dir].
# i686 makes the distributable folder <build dir>/dist; x86_64 also builds every test program.
set -euo pipefail
arch=${1:?usage: tools/build.sh i686|x86_64 [build dir]}
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${2:-$top/build/$arch}
case $arch in i686|x86_64) ;; *) echo "unknown architecture $arch" >&2; exit 2 ;; esac
cmake -S "$top" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j "$(nproc)"
