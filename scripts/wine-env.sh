#!/usr/bin/env bash
# Wine environment of the project: prefix, display and a persistent wineserver.
# Sourced by wine-run.sh; run directly as "wine-env.sh start|stop".
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
_build="${QUORIX_BUILD_DIR:-$(pwd)}"
export WINEPREFIX="${WINEPREFIX:-$_build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono/Gecko prompts; no crash dialog (a crashing test must fail, not hang).
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
_xvfb_pid_file="$WINEPREFIX.xvfb.pid"
_xvfb_disp_file="$WINEPREFIX.xvfb.display"

_wine_lock() { exec 9>"$WINEPREFIX.lock"; flock 9; }
_wine_unlock() { flock -u 9; exec 9>&-; }

_start_xvfb() {
  if [ -f "$_xvfb_pid_file" ] && kill -0 "$(cat "$_xvfb_pid_file")" 2>/dev/null; then
    export DISPLAY="$(cat "$_xvfb_disp_file")"; return
  fi
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      echo "$pid" >"$_xvfb_pid_file"; echo ":$n" >"$_xvfb_disp_file"
      export DISPLAY=":$n"; return
    fi
  done
  echo "wine-env: could not start Xvfb" >&2; return 1
}

wine_env_ensure() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  _wine_lock
  if [ -z "${DISPLAY:-}" ]; then _start_xvfb; fi
  if [ ! -f "$WINEPREFIX/.quorix-ready-3" ]; then
    # A server kept alive from earlier would make the waits below last its whole life.
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINE64" wineboot -u >/dev/null 2>&1 || true
    "$WINESERVER" -w
    # A crash ends the process: the debugger runs on its own (Auto 1), prints
    # a backtrace and shows no dialog, so a crashing test fails instead of hanging.
    "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1
    # Xvfb runs no window manager: a managed window makes Wine wait about 2 s for
    # one each time a dialog or message box closes, and gets no title bar.
    # Unmanaged, Wine draws the frame itself and closes windows at once.
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.quorix-ready-3"
  fi
  # One server for the whole run (it ends by itself ten minutes after the last
  # client). The first program started under it also starts Wine's background
  # services; start them here with no output attached, or a test runner would
  # wait for them to let go of a test's output pipe.
  if "$WINESERVER" -p600 >/dev/null 2>&1 </dev/null; then
    "$WINE64" cmd /c exit >/dev/null 2>&1 </dev/null || true
  fi
  _wine_unlock
}

wine_env_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -f "$_xvfb_pid_file" ]; then
    kill "$(cat "$_xvfb_pid_file")" 2>/dev/null || true
    rm -f "$_xvfb_pid_file" "$_xvfb_disp_file"
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  case "${1:-}" in
    start) wine_env_ensure; echo "wine-env: prefix $WINEPREFIX${DISPLAY:+, display $DISPLAY}";;
    stop) wine_env_stop;;
    *) echo "usage: wine-env.sh start|stop" >&2; exit 2;;
  esac
fi
