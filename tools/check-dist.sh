#!/usr/bin/env bash
# Checks a distributable folder: setup.exe imports only Windows system libraries and carries its
# manifest and version information, and exports minizip's reading API with unzip; the language libraries
# are resource-only (no imports at all). setup.exe carries its own pictures: the finish page's bitmap and
# the icon groups that IdIcon chooses from. The example hook library of the same build, when there is one,
# must export both entry points under their plain names (a 32-bit build would decorate them otherwise).
set -euo pipefail
dist=${1:?usage: tools/check-dist.sh <dist folder>}
objdump=objdump
for o in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump; do command -v $o >/dev/null && objdump=$o && break; done
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|shlwapi|ole32|oleaut32|winspool\.drv|version|msvcrt|ws2_32|dbghelp|uxtheme|shcore)\.dll$'
failed=0
fail() { echo "FAIL: $*"; failed=1; }

exports() { "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p'; }
imports() { "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'; }
# The resources as "type:id" in hexadecimal without leading zeros, one a line (named ones left out).
resources() {
  "$objdump" -p "$1" | awk '
    function id(s) { sub(/,$/, "", s); sub(/^0x0*/, "", s); return s }
    /^The \.rsrc Resource Directory/ { on = 1 }
    on && /^[0-9a-f]+   Entry: ID:/ { type = id($4) }
    on && /^[0-9a-f]+     Entry: ID:/ { print type ":" id($4) }'
}

[ -f "$dist/setup.exe" ] || fail "no setup.exe in $dist"
if [ -f "$dist/setup.exe" ]; then
  headers=$("$objdump" -p "$dist/setup.exe")
  grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "setup.exe is not a GUI program"
  for dll in $(imports "$dist/setup.exe"); do
    echo "$dll" | grep -Eq "$system_dlls" || fail "setup.exe imports $dll"
  done
  grep -q 'requireAdministrator' "$dist/setup.exe" || fail "setup.exe has no manifest asking for administrator rights"
  grep -q 'Microsoft.Windows.Common-Controls' "$dist/setup.exe" || fail "setup.exe manifest lacks common controls 6"
  texts=$(strings -el "$dist/setup.exe")
  grep -q '^Norba$' <<<"$texts" || fail "setup.exe has no version information naming Norba"
  grep -q '^Kiv Setup$' <<<"$texts" || fail "setup.exe version information lacks Kiv Setup"
  own=$(resources "$dist/setup.exe")
  grep -qx "2:$(printf %x 2070)" <<<"$own" || fail "setup.exe has no bitmap 2070"
  for icon in 1 2 3 100 126 250 251 260 290 500 550 551; do
    grep -qx "e:$(printf %x $icon)" <<<"$own" || fail "setup.exe has no icon group $icon"
  done
  exported=$(exports "$dist/setup.exe")
  for name in unzOpen unzOpen2 unzClose unzGetGlobalInfo unzGetGlobalComment unzGoToFirstFile unzGoToNextFile \
              unzLocateFile unzGetCurrentFileInfo unzOpenCurrentFile unzOpenCurrentFile2 unzOpenCurrentFile3 \
              unzOpenCurrentFilePassword unzReadCurrentFile unzCloseCurrentFile unztell unzeof unzGetLocalExtrafield \
              unzGetFilePos unzGoToFilePos unzGetOffset unzSetOffset unzStringFileNameCompare unzip; do
    grep -qx "$name" <<<"$exported" || fail "setup.exe does not export $name"
  done
fi
for lang in english german french hungarian; do
  dll=$dist/setup$lang.dll
  if [ ! -f "$dll" ]; then fail "missing setup$lang.dll"; continue; fi
  [ -z "$(imports "$dll")" ] || fail "setup$lang.dll imports $(imports "$dll" | tr '\n' ' ')"
done
hook=$dist/../examples/hook/examplehook.dll
if [ -f "$hook" ] && [ "$(exports "$hook" | sort | tr '\n' ' ')" != "NewSetupHook SetupHook " ]; then
  fail "examplehook.dll exports $(exports "$hook" | tr '\n' ' ')instead of NewSetupHook and SetupHook"
fi
if [ $failed -eq 0 ]; then echo "distributable $dist: ok"; fi
exit $failed
