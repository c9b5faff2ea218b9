#!/usr/bin/env bash
# Fetches minizip's sources at build time: they ship in Debian's zlib source package (contrib/minizip of
# the orig tarball). tools/fetch-minizip.sh <folder> unpacks the tarball there once; it is never committed.
set -euo pipefail
dest=${1:?usage: tools/fetch-minizip.sh <folder>}
[ -f "$dest/contrib/minizip/unzip.c" ] && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# A package index older than the deb-src entry knows no sources yet: refresh it once and retry.
if ! apt-get source --download-only zlib >/dev/null 2>apt.log &&
   ! { apt-get update -qq >/dev/null 2>&1; apt-get source --download-only zlib >/dev/null 2>apt.log; }; then
  cat apt.log >&2
  echo "fetch-minizip: cannot fetch Debian's zlib source package (is a deb-src entry configured? tools/install-deps.sh adds one)" >&2
  exit 1
fi
tarball=$(ls zlib_*.orig.tar.* | head -n 1)
mkdir -p "$dest.tmp"
tar -xf "$tarball" -C "$dest.tmp" --strip-components=1
rm -rf "$dest"
mv "$dest.tmp" "$dest"
