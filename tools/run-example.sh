#!/usr/bin/env bash
# The main job: builds the distributable (i686, what ships) and installs the sample product of
# examples/kiv with setup.exe under Wine. 32-bit programs cannot run on these machines, so the run uses
# the x86_64 build of the same sources.
#   tools/run-example.sh [--interactive] [--keep] [setup.exe arguments...]
# By default the wizard replays the package's silentsetup.ini, visibly, on the Xvfb display of
# tools/wine-env.sh, and a picture of every page it shows is saved. --interactive (with DISPLAY set to a
# display of your own) leaves the answer file out: the wizard waits for you there. Afterwards the script
# prints what setup.exe did (exit code, installed files, uninstall record, the trace log's last lines,
# where the pictures are) and removes the installation from the Wine prefix again (--keep leaves it).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
interactive=0
keep=0
while [ $# -gt 0 ]; do
  case $1 in
    --interactive) interactive=1 ;;
    --keep) keep=1 ;;
    *) break ;;
  esac
  shift
done
if [ $interactive -eq 1 ] && [ -z "${DISPLAY:-}" ]; then
  echo "--interactive needs a display of your own: set DISPLAY" >&2
  exit 2
fi

"$top/tools/install-deps.sh"
"$top/tools/build.sh" i686
"$top/tools/check-dist.sh" "$top/build/i686/dist"
"$top/tools/build.sh" x86_64
build=$top/build/x86_64

# The run folder: the distributable beside the sample package, as a product team ships it.
run=$top/build/example-run
pages=$run/pages
rm -rf "$run"
mkdir -p "$pages"
cp "$build"/dist/* "$build"/examples/kiv/package/* "$run/"
[ $interactive -eq 0 ] || rm "$run/silentsetup.ini"
inikey=$(sed -n 's/^IniKey=//p' "$run/setup.cfg" | tr -d '\r')
record="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$inikey"

# A Wine prefix and display of its own, so that the run never meets a test run's.
wenv=$top/build/example-wine
mkdir -p "$wenv"
env="$top/tools/wine-env.sh"
winpath() { echo "Z:${1//\//\\}"; }
"$env" stop "$wenv"
if [ $interactive -eq 1 ]; then
  WINE_ENV_DISPLAY=$DISPLAY "$env" start "$wenv" >/dev/null
else
  "$env" start "$wenv" >/dev/null
fi
trap '"$env" stop "$wenv"' EXIT
wine() { "$env" run "$wenv" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

language=/LANG:ENGL
for arg in "$@"; do case ${arg^^} in /LANG:*|-LANG) language= ;; esac; done
echo "Running setup.exe in $run ($([ $interactive -eq 1 ] && echo "interactive on $DISPLAY" || echo "from silentsetup.ini"))"
set +e
(cd "$run" && "$env" run "$wenv" "$build/tools/pageshot.exe" "$(winpath "$pages")" "$(winpath "$run/setup.exe")" \
   $language "/LOGIT:$(winpath "$run/setup.log")" "$@" </dev/null)
code=$?
set -e

case $code in
  0) meaning="installed" ;;
  1602) meaning="cancelled" ;;
  1603) meaning="failed" ;;
  99) meaning="no language library" ;;
  42) meaning="crashed, a crash dump was written" ;;
  *) meaning="unexpected" ;;
esac
echo
echo "setup.exe ended with exit code $code ($meaning)"
echo
echo "--- uninstall record $record ---"
recorded=$(wine reg query "$record" || true)
echo "${recorded:-(none)}"
value() { sed -n "s/^ *$1 *REG_SZ *//p" <<<"$recorded"; }
# The file of this machine that a Windows path "C:\..." of the prefix names (empty for an empty path).
unixpath() {
  [ -n "$1" ] || return 0
  local drive
  drive=$(echo "${1:0:1}" | tr 'A-Z' 'a-z')
  echo "$wenv/wineprefix/dosdevices/$drive:$(echo "${1:2}" | tr '\\' '/')"
}
folder=$(value UninstallPath)
unixfolder=$(unixpath "$folder")
datafolder=$(value '%KIVFILES%')
echo
echo "--- installed files in ${folder:-(no folder recorded)} ---"
if [ -n "$unixfolder" ] && [ -d "$unixfolder" ]; then
  (cd "$unixfolder" && find . -type f | sed 's|^\./||' | sort | while read -r f; do
     printf '%8d  %s\n' "$(stat -c %s "$f")" "$f"; done)
fi
echo
echo "--- trace log $run/setup.log (last lines) ---"
[ -f "$run/setup.log" ] && tail -n 15 "$run/setup.log" | tr -d '\r'
echo
echo "--- pictures of the pages in $pages ---"
ls "$pages"

if [ $keep -eq 0 ] && [ -n "$recorded" ]; then
  # The product's own quiet removal first (links, files, registrations, the record), as a deployment tool
  # would run it; it keeps the user's settings and data.
  if [ -n "$unixfolder" ] && ls "$unixfolder" 2>/dev/null | grep -qi '^setup\.exe$'; then
    set +e
    "$env" run "$wenv" "$folder\\setup.exe" -remove "$inikey" /HIDE </dev/null >/dev/null 2>&1
    removed=$?
    set -e
    echo
    echo "Quiet removal (setup.exe -remove $inikey /HIDE) ended with exit code $removed"
  fi
  # Then whatever is left, so that the next run installs afresh: the record, the file types and protocol
  # classes it lists, the installed folder.
  IFS='|' read -r -a classes <<<"$(value UninstallRootClasses)"
  for class in "${classes[@]}"; do wine reg delete "HKCR\\$class" /f >/dev/null || true; done
  wine reg delete "$record" /f >/dev/null || true
  # The product's settings and the user's data folder that the product hook made.
  for hive in HKCU HKLM; do wine reg delete "$hive\\Software\\Norba\\$inikey" /f >/dev/null || true; done
  # Only folders at least two levels below a drive's root (C:\Program Files\..., ...\Documents\KIV8 Files).
  case $folder in ?:\\?*\\?*) rm -rf "$unixfolder" ;; esac
  case $datafolder in ?:\\?*\\?*) rm -rf "$(unixpath "$datafolder")" ;; esac
  echo
  echo "Removed the uninstall record, its classes, the settings, the data folder and the installed folder from the"
  echo "Wine prefix $wenv/wineprefix"
fi
echo "Distributable (i686): $top/build/i686/dist"
exit $code
