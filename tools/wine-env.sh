#!/usr/bin/env bash
# The test harness's Wine environment, kept inside a build tree:
#   wine-env.sh start <build dir>          boot the prefix, start wineserver and an Xvfb display
#   wine-env.sh run <build dir> <exe> ...  run a Windows program in that environment (exit code passed on)
#   wine-env.sh stop <build dir>           end what start began: our wineserver (and its processes) and our Xvfb
# With WINE_ENV_DISPLAY set (e.g. to a DISPLAY of one's own), start uses that display instead of an Xvfb.
# Everything started in the background has its output in files: Wine's background programs inherit file
# descriptors, and a pipe they hold open would hang whoever reads it (ctest does).
set -euo pipefail
cmd=${1:?usage: wine-env.sh start|run|stop <build dir> ...}
build=$(cd "${2:?build dir}" && pwd)
state=$build/wine-state
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || wine=$(command -v wine)
wineserver=$(command -v wineserver)

free_display() {
  local n
  for n in $(seq 90 250); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] || { echo "$n"; return; }
  done
  return 1
}

start_xvfb() {
  if [ -n "${WINE_ENV_DISPLAY:-}" ]; then
    echo "$WINE_ENV_DISPLAY" >"$state/display"
    return
  fi
  if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then return; fi
  local n pid i
  n=$(free_display)
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$state/xvfb.log" 2>&1 </dev/null &
  pid=$!
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$state/xvfb.log" >&2; exit 1; }
    sleep 0.1
  done
  echo "$pid" >"$state/xvfb.pid"
  echo ":$n" >"$state/display"
}

start() {
  mkdir -p "$state"
  start_xvfb
  export DISPLAY=$(cat "$state/display")
  mkdir -p "$WINEPREFIX"
  # A server that is already up (an earlier run, a cut-short one) answers -p with an error: fine.
  "$wineserver" -p >>"$state/wine.log" 2>&1 </dev/null || true
  "$wine" wineboot -i >>"$state/wine.log" 2>&1 </dev/null
  # Xvfb has no window manager: managed windows make Wine wait 2 s for one whenever a window is hidden or
  # destroyed (every answered message box, every closed wizard). Unmanaged windows need no one.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$state/wine.log" 2>&1 </dev/null
  # The first window of a prefix is slow (desktop process, fonts): pay for it here, away from any pipe.
  if [ -f "$build/fixtures/warmup.exe" ]; then
    "$wine" "$build/fixtures/warmup.exe" >>"$state/wine.log" 2>&1 </dev/null || true
  fi
  echo "Wine prefix $WINEPREFIX ready on display $DISPLAY"
}

run() {
  [ -f "$state/display" ] || start >/dev/null
  export DISPLAY=$(cat "$state/display")
  exec "$wine" "$@"
}

stop() {
  "$wineserver" -k >/dev/null 2>&1 </dev/null || true
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
  fi
}

case $cmd in
  start) start ;;
  run) shift 2; run "$@" ;;
  stop) stop ;;
  *) echo "unknown command $cmd" >&2; exit 2 ;;
esac
