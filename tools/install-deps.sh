#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine: the mingw-w64 cross compilers,
# zlib for them, wine64 and an X server for windows. Idempotent: does nothing when all is there.
set -euo pipefail

packages=(cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev
          wine wine64 xvfb xauth bzip2)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ -d /usr/src/googletest ] || missing+=(googletest)

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  # wine32 cannot run on these machines and breaks every wine command: never let it in.
  if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
    echo "wine32 is installed and breaks wine here; remove it first" >&2
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
