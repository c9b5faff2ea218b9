#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine: the mingw-w64 cross compilers,
# zlib for them, wine64 and an X server for windows, and a deb-src entry for minizip's sources.
# Idempotent: does nothing when all is there.
set -euo pipefail

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

packages=(cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev
          wine wine64 xvfb xauth bzip2 xz-utils python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ -d /usr/src/googletest ] || missing+=(googletest)

# minizip's sources come from Debian's zlib source package at build time (tools/fetch-minizip.sh).
need_update=0
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
    $sudo tee /etc/apt/sources.list.d/norba-zlib-src.sources >/dev/null
  need_update=1
fi
[ ${#missing[@]} -gt 0 ] && need_update=1

# wine32 cannot run on these machines and breaks every wine command: never let it in.
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
  echo "wine32 is installed and breaks wine here; remove it first" >&2
fi

[ $need_update -eq 1 ] && $sudo apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
exit 0
