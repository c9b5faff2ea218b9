#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine: the mingw-w64 cross compilers,
# zlib for them, wine64 and an X server for windows, and a deb-src entry for minizip's sources.
# Idempotent: does nothing when all is there. "install-deps.sh --print-src" only prints the deb-src entry
# it would write.
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

# minizip's sources come from Debian's zlib source package at build time (tools/fetch-minizip.sh). The
# deb-src entry repeats the machine's own Debian bookworm entries (same mirrors or proxies, same suites),
# so no package host is named here.
src_list=/etc/apt/sources.list.d/norba-zlib-src.sources
suites_re='^bookworm(-updates)?$'

# One deb822 stanza per Debian bookworm entry of the deb822 .sources files: Types, URIs, Suites,
# Components, Signed-By. Entries signed by another keyring than Debian's are not Debian's.
deb822_entries() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$src_list" ] || continue
    awk -v suites_re="$suites_re" '
      function flush() {
        if (types ~ /(^| )deb( |$)/ && enabled != "no" && uris != "" && comps != "" &&
            (signed == "" || signed ~ /debian-archive-keyring/)) {
          n = split(suites, s, " "); keep = ""
          for (i = 1; i <= n; i++) if (s[i] ~ suites_re) keep = keep (keep == "" ? "" : " ") s[i]
          if (keep != "") print uris "\t" keep "\t" comps "\t" signed
        }
        types = uris = suites = comps = signed = enabled = ""; field = ""
      }
      /^[ \t]*#/ { next }
      /^[ \t]*$/ { flush(); next }
      /^[ \t]/ { if (field == "signed-by") signed = signed " (inline key)"; next }
      {
        field = tolower(substr($0, 1, index($0, ":") - 1)); value = substr($0, index($0, ":") + 1)
        gsub(/^[ \t]+|[ \t]+$/, "", value); gsub(/[ \t]+/, " ", value)
        if (field == "types") types = value; else if (field == "uris") uris = value
        else if (field == "suites") suites = value; else if (field == "components") comps = value
        else if (field == "signed-by") signed = value; else if (field == "enabled") enabled = tolower(value)
      }
      END { flush() }' "$f"
  done
}

# The same from one-line entries ("deb [options] uri suite components...") of sources.list and *.list.
one_line_entries() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v suites_re="$suites_re" '
      $1 != "deb" { next }
      {
        signed = ""; i = 2
        if ($2 ~ /^\[/) {  # options up to the field that ends in "]"
          for (; i <= NF; i++) {
            if ($i ~ /signed-by=/) { signed = $i; sub(/.*signed-by=/, "", signed); sub(/\]$/, "", signed) }
            if ($i ~ /\]$/) break
          }
          i++
        }
        uri = $i; suite = $(i + 1); comps = ""
        for (j = i + 2; j <= NF && $j !~ /^#/; j++) comps = comps (comps == "" ? "" : " ") $j
        if (suite ~ suites_re && comps != "" && (signed == "" || signed ~ /debian-archive-keyring/))
          print uri "\t" suite "\t" comps "\t" signed
      }' "$f"
  done
}

# The deb-src stanzas for all of them (empty when the machine has no Debian bookworm entry).
derive_src_entries() {
  { deb822_entries; one_line_entries; } | awk -F '\t' '!seen[$0]++ {
      printf "%sTypes: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", (n++ ? "\n" : ""), $1, $2, $3
      if ($4 != "") printf "Signed-By: %s\n", $4 }'
}

if [ "${1:-}" = "--print-src" ]; then
  derive_src_entries
  exit 0
fi

# Whether a deb-src entry that somebody else configured is there already (it is then used as it is).
other_src_entry() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$src_list" ] && grep -qsi '^Types:.*deb-src' "$f" && return 0
  done
  grep -qs '^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/*.list
}

need_update=0
# Ours is (re)written from the current Debian entries, so that a changed mirror or proxy reaches it too.
if ! other_src_entry; then
  entries=$(derive_src_entries)
  if [ -z "$entries" ]; then
    echo "install-deps: no Debian bookworm entry in the apt sources; add a deb-src entry for zlib yourself" >&2
  elif [ "$entries" != "$(cat "$src_list" 2>/dev/null)" ]; then
    printf '%s\n' "$entries" | $sudo tee "$src_list" >/dev/null
    need_update=1
  fi
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
