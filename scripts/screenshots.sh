#!/usr/bin/env bash
# Takes the README's pictures on an existing build (scripts/build.sh first):
# the stand-in simulator listens on 127.0.0.1 with the pilot in the cockpit,
# quorix.exe reads virtual stick 1 (axes X and Y held off centre) with
# the seeded profile "Demo", and each window is opened through qxctl, cropped
# from the private Xvfb screen and saved into docs/:
#   docs/tray-menu.png        the tray icon's menu
#   docs/main-dialog.png      "Quorix - Ombrisal for IL-2" with live values and
#                             the response plot of X: a centred curve, the stick's point
#   docs/server-dialog.png    "IL2 Device Link Server"
#   docs/name-prompt.png      the name prompt ("Rename ...")
#   docs/axis-settings.png    axis settings, "100 - 0 - 100 Axis" with a curve and its plot
#   QUORIX_BUILD_DIR    build folder (default: build)
# Re-runnable: the pictures are overwritten; the settings it seeds are removed
# again. Exit code 0 when every picture was saved; 1 with a message otherwise.
# Nothing is sent beyond 127.0.0.1.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${QUORIX_BUILD_DIR:-$root/build}" 2>/dev/null && pwd)" ||
  { echo "screenshots: no build folder ${QUORIX_BUILD_DIR:-$root/build} (run scripts/build.sh)" >&2; exit 1; }
export QUORIX_BUILD_DIR="$build"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
export WINEDLLOVERRIDES="dinput8=n,b;mscoree,mshtml="
run="$root/scripts/wine-run.sh"
work="$build/shots"
docs="$root/docs"
key='HKCU\Software\Velmora\Quorix'

fail() { echo "screenshots: $*" >&2; exit 1; }

for f in quorix.exe il2sim.exe qxctl.exe padsimctl.exe padsim/dinput8.dll; do
  [ -f "$build/$f" ] || fail "$build/$f is missing (run scripts/build.sh)"
done
# The capture tools, only when missing.
if ! command -v import >/dev/null || ! command -v convert >/dev/null; then
  echo "screenshots: installing imagemagick" >&2
  sudo -n apt-get install -y imagemagick >/dev/null 2>&1 || apt-get install -y imagemagick >/dev/null 2>&1 ||
    fail "imagemagick (import, convert) is missing and could not be installed"
fi

# shellcheck source=../scripts/proc-lib.sh
source "$root/scripts/proc-lib.sh"


sim_pid="" quorix_pid="" sim_in=0 seeded=0
cleanup() {
  set +e
  if [ -n "$quorix_pid" ] && alive "$quorix_pid"; then
    "$run" "$build/qxctl.exe" quit >/dev/null 2>&1
    wait_gone "$quorix_pid" 10 || stop "$quorix_pid"
  fi
  if [ -n "$sim_pid" ] && alive "$sim_pid"; then
    [ "$sim_in" = 1 ] && echo q >&8
    wait_gone "$sim_pid" 5 || stop "$sim_pid"
  fi
  [ "$sim_in" = 1 ] && exec 8>&-
  [ "$seeded" = 1 ] && "$run" reg delete "$key" /f >/dev/null 2>&1
  [ "$own_env" = 1 ] && bash "$root/scripts/wine-env.sh" stop
  rm -f "$work/sim.in"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf "$work"
mkdir -p "$work" "$docs"
cp "$build/quorix.exe" "$build/padsim/dinput8.dll" "$work/"
cd "$work"

bash "$root/scripts/wine-env.sh" start >/dev/null
display="$(cat "$WINEPREFIX.xvfb.display" 2>/dev/null)" || display="${DISPLAY:-}"
[ -n "$display" ] || fail "no X display to capture"
if "$run" "$build/qxctl.exe" wait 0 2>/dev/null; then
  own_env=0
  fail "a Quorix is already running in $WINEPREFIX (tests?); end it first"
fi

mkfifo sim.in
exec 8<>sim.in
sim_in=1
"$run" "$build/il2sim.exe" --port 0 --cockpit 1 --quiet-queries --for-ms 300000 <&8 >sim.out 2>sim.err &
sim_pid=$!
port="$(sim_port sim.out "$sim_pid")" ||
  fail "the simulator did not start: $(cat sim.err sim.out 2>/dev/null)"

# Profile "Demo": stick 1's X axis (idAxis 1) -> "Ailerons" (key 1) as a
# centred axis with a curve that is gentle around the centre; Y (idAxis 2) ->
# "Elevator" (key 3). aiTranslate holds 20 little-endian ints, outer left to
# outer right.
curve=""
for v in 100 94 87 80 72 63 54 44 34 25 25 34 44 54 63 72 80 87 94 100; do
  curve="$curve$(printf '%02x,00,00,00,' "$v")"
done
seed_settings shots.reg Demo "$port" <<EOF
[HKEY_CURRENT_USER\\Software\\Velmora\\Quorix\\Profiles\\Demo\\Dev2Axis\\1]
"guidHwDev"=hex:e0,d2,c1,a7,3f,5b,8a,4e,9c,61,51,d0,c0,de,00,01
"idAxis"=dword:00000001
"bIs50Axis"=dword:00000001
"aiTranslate"=hex:${curve%,}

[HKEY_CURRENT_USER\\Software\\Velmora\\Quorix\\Profiles\\Demo\\Dev2Axis\\3]
"guidHwDev"=hex:e0,d2,c1,a7,3f,5b,8a,4e,9c,61,51,d0,c0,de,00,01
"idAxis"=dword:00000002
EOF

"$run" ./quorix.exe >quorix.out 2>&1 &
quorix_pid=$!
"$run" "$build/qxctl.exe" wait 20000 || fail "quorix.exe did not open its window"
# X about 70 %: its point sits off centre on the plotted curve.
"$run" "$build/padsimctl.exe" set 1 X 46000 >/dev/null || fail "could not move stick 1's X axis"
"$run" "$build/padsimctl.exe" set 1 Y 22000 >/dev/null || fail "could not move stick 1's Y axis"

qx() { "$run" "$build/qxctl.exe" "$@"; }

# Saves dialog $1's window (frame included: Wine draws it, the windows are
# unmanaged) as docs/$2.png. The short pause lets the dialog paint itself and
# read the stick.
shoot() {
  local rect x y w h
  rect="$(qx rect "$1" 10000 | tr -d '\r')" || return 1
  read -r x y w h <<<"$rect"
  [ "${w:-0}" -gt 0 ] && [ "${h:-0}" -gt 0 ] || return 1
  sleep 1.5
  import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage +dither -colors 32 "$docs/$2.png" ||
    return 1
  echo "saved docs/$2.png (${w}x${h})"
}

# Closes dialog $1 with Cancel (id 2) and waits until it is gone, so that the
# next click cannot land inside its modal loop.
dismiss() {
  qx click "$1" 2 && gone "$1"
}
# Waits up to 5 s until window $1 is no longer shown.
gone() {
  local i
  for ((i = 0; i < 50; i++)); do
    qx rect "$1" 0 >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# The tray menu opens at the cursor: where Windows shows it above the
# taskbar, here in the middle of the empty screen.
qx menu || fail "could not right-click the tray icon"
if ! shoot menu tray-menu; then
  echo "screenshots: the tray menu did not open; no docs/tray-menu.png" >&2
fi
if ! { qx escape && gone menu; }; then fail "the tray menu did not close"; fi

qx configure || fail "could not choose \"Configure...\""
shoot main main-dialog || fail "the configuration dialog did not open"

qx click main 206 || fail "could not press \"Ip-Address and Port:\""
shoot server server-dialog || fail "the server address dialog did not open"
dismiss server || fail "the server dialog did not close"

qx click main 105 || fail "could not press \"Rename ...\""
shoot name name-prompt || fail "the name prompt did not open"
dismiss name || fail "the name dialog did not close"

qx click main 1107 || fail "could not press \"Config\" of axis 1"
shoot axis axis-settings || fail "the axis settings dialog did not open"
dismiss axis || fail "the axis dialog did not close"

qx click main 101 || fail "could not close the configuration dialog"
