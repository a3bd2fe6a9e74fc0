#!/usr/bin/env bash
# Shows the main job on an existing build: the stand-in simulator listens on
# 127.0.0.1 with the pilot in the cockpit, quorix.exe reads virtual stick 1
# through the project's own dinput8.dll, the stick's X axis sweeps from one end
# to the other and back, and every Device Link command that arrives is printed.
#   QUORIX_BUILD_DIR    build folder (default: build)
#   QUORIX_RUN_SECONDS  how long to sweep and watch (default 6, whole seconds)
# Exit code 0 when commands for the swept axis arrived and quorix.exe ended
# normally; 1 with a message otherwise. Nothing is sent beyond 127.0.0.1.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${QUORIX_BUILD_DIR:-$root/build}" 2>/dev/null && pwd)" ||
  { echo "demo: no build folder ${QUORIX_BUILD_DIR:-$root/build} (run scripts/build.sh)" >&2; exit 1; }
export QUORIX_BUILD_DIR="$build"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
# Our dinput8.dll (beside the copy of quorix.exe) before Wine's; no Mono/Gecko.
export WINEDLLOVERRIDES="dinput8=n,b;mscoree,mshtml="
secs="${QUORIX_RUN_SECONDS:-6}"
run="$root/scripts/wine-run.sh"
demo="$build/demo"
key='HKCU\Software\Velmora\Quorix'

fail() { echo "demo: $*" >&2; exit 1; }

if ! [[ "$secs" =~ ^[0-9]{1,4}$ ]] || [ "$secs" -lt 1 ] || [ "$secs" -gt 3600 ]; then
  fail "QUORIX_RUN_SECONDS must be a whole number from 1 to 3600, not '$secs'"
fi
for f in quorix.exe il2sim.exe qxctl.exe padsimctl.exe padsim/dinput8.dll; do
  [ -f "$build/$f" ] || fail "$build/$f is missing (run scripts/build.sh)"
done

# shellcheck source=../scripts/proc-lib.sh
source "$root/scripts/proc-lib.sh"


sim_pid="" quorix_pid="" sweep_pid="" sim_in=0 seeded=0
cleanup() {
  set +e
  [ -n "$sweep_pid" ] && stop "$sweep_pid"
  [ -n "$quorix_pid" ] && stop "$quorix_pid"
  if [ -n "$sim_pid" ] && alive "$sim_pid"; then
    [ "$sim_in" = 1 ] && echo q >&8
    wait_gone "$sim_pid" 5 || stop "$sim_pid"
  fi
  [ "$sim_in" = 1 ] && exec 8>&-
  # quorix.exe writes its settings when it ends: remove them after it (only
  # when this run wrote them; another copy's settings are not ours).
  [ "$seeded" = 1 ] && "$run" reg delete "$key" /f >/dev/null 2>&1
  [ "$own_env" = 1 ] && bash "$root/scripts/wine-env.sh" stop
  rm -f "$demo/sim.in"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The folder quorix.exe ships from never holds the DLL: run a copy.
rm -rf "$demo"
mkdir -p "$demo"
cp "$build/quorix.exe" "$build/padsim/dinput8.dll" "$demo/"
cd "$demo"

# Prefix, display and Wine's background services first, so that none of them
# inherits the simulator's input pipe below.
bash "$root/scripts/wine-env.sh" start >/dev/null
if "$run" "$build/qxctl.exe" wait 0 2>/dev/null; then
  own_env=0
  fail "a Quorix is already running in $WINEPREFIX (tests?); end it first"
fi

# The simulator picks a free port itself (--port 0) and prints it.
mkfifo sim.in
exec 8<>sim.in
sim_in=1
"$run" "$build/il2sim.exe" --port 0 --cockpit 1 --quiet-queries --for-ms $(((secs + 120) * 1000)) \
  <&8 >sim.out 2>sim.err &
sim_pid=$!
port="$(sim_port sim.out "$sim_pid")" ||
  fail "the simulator did not start: $(cat sim.err sim.out 2>/dev/null)"

# Settings: the profile "Demo" assigns stick 1's X axis (idAxis 1) to
# "Ailerons" (assignment key 1); the stick is {A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0001}.
seed_settings demo.reg Demo "$port" <<EOF
[HKEY_CURRENT_USER\\Software\\Velmora\\Quorix\\Profiles\\Demo\\Dev2Axis\\1]
"guidHwDev"=hex:e0,d2,c1,a7,3f,5b,8a,4e,9c,61,51,d0,c0,de,00,01
"idAxis"=dword:00000001
EOF
"$run" reg query "$key\\Profiles\\Demo\\Dev2Axis\\1" /v guidHwDev 2>/dev/null | grep -qi 'E0D2C1A73F5B8A4E9C6151D0C0DE0001' ||
  fail "the settings did not reach the registry"

"$run" ./quorix.exe >quorix.out 2>&1 &
quorix_pid=$!
"$run" "$build/qxctl.exe" wait 20000 || fail "quorix.exe did not open its window"

echo "Running: il2sim.exe (stand-in simulator) on 127.0.0.1:$port, pilot in the cockpit;"
echo "         quorix.exe with profile \"Demo\": Virtual Stick 1, axis X -> \"Ailerons\", poll every 10 ms;"
echo "         padsimctl sweep 1 X $secs: the stick from full left to full right and back."
echo "Commands arriving at the simulator for $secs s:"
"$run" "$build/padsimctl.exe" sweep 1 X "$secs" >/dev/null 2>sweep.err &
sweep_pid=$!

# Live, as the simulator prints them: "cmd Ailerons -0.42" becomes
# "  Ailerons  -0.42  [    ######|          ]"; repeats of the same text are
# counted on one line (the program sends whenever the unrounded value moves).
timeout "$((secs + 1))" tail -n +1 -f sim.out | awk '
  function show(   pos, bar, i) {
    pos = int((val + 1) * 10 + 0.5); bar = ""
    for (i = 0; i <= 20; i++)
      bar = bar ((i == 10) ? "|" : ((i >= pos && i < 10) || (i <= pos && i > 10)) ? "#" : " ")
    printf "  %-10s %6s  [%s]%s\n", name, val, bar, (n > 1 ? "  x" n : ""); fflush()
  }
  $1 == "cmd" {
    c = $2; for (i = 3; i < NF; i++) c = c " " $i
    if (n && c == name && $NF == val) { n++; next }
    if (n) show()
    name = c; val = $NF; n = 1
    next
  }
  $1 == "bad" || $1 == "cockpit" { print "  simulator: " $0; fflush() }
  END { if (n) show() }' || true

count="$(grep -c '^cmd Ailerons ' sim.out || true)"
if [ "$count" -eq 0 ]; then
  echo "demo: state of the virtual controllers:" >&2
  "$run" "$build/padsimctl.exe" show >&2 || true
  fail "no command arrived at the simulator (its output: $demo/sim.out)"
fi
wait_gone "$sweep_pid" 5 || fail "the sweep did not end"

"$run" "$build/qxctl.exe" quit || fail "could not ask quorix.exe to quit"
wait_gone "$quorix_pid" 15 || fail "quorix.exe did not end after Quit"
status=0
wait "$quorix_pid" || status=$?
quorix_pid=""
echo q >&8
wait_gone "$sim_pid" 5 || fail "the simulator did not end"
sim_pid=""

echo "$count \"Ailerons\" commands arrived; quorix.exe ended with exit code $status."
[ "$status" -eq 0 ] || fail "quorix.exe ended with exit code $status"
