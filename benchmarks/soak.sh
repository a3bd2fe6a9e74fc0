#!/usr/bin/env bash
# Long run of quorix.exe on an existing build, to show that it does not grow:
# polling every 10 ms, virtual stick 1 (X -> "Ailerons") and virtual throttle 2
# (X -> "Power") sweeping, the stand-in simulator il2sim on 127.0.0.1 going away
# and coming back every minute, and the configuration dialog opened and closed
# every minute. Prints at the start and after every minute: working set, private
# bytes, handles, GDI and USER objects of quorix.exe, and the datagrams that the
# il2sim ending in that minute received. A counter Wine does not keep (it does not move
# when qxstat creates and frees objects of its kind) prints as n/a.
#   QUORIX_BUILD_DIR     build folder (default: build)
#   QUORIX_SOAK_MINUTES  how long (default 10, whole minutes 1..600)
# Exit code 0 when the run went through and quorix.exe ended with exit code 0.
# A measuring script: CTest never runs it. Nothing is sent beyond 127.0.0.1.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${QUORIX_BUILD_DIR:-$root/build}" 2>/dev/null && pwd)" ||
  { echo "soak: no build folder ${QUORIX_BUILD_DIR:-$root/build} (run scripts/build.sh)" >&2; exit 1; }
export QUORIX_BUILD_DIR="$build"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
# Our dinput8.dll (beside the copy of quorix.exe) before Wine's; no Mono/Gecko.
export WINEDLLOVERRIDES="dinput8=n,b;mscoree,mshtml="
minutes="${QUORIX_SOAK_MINUTES:-10}"
run="$root/scripts/wine-run.sh"
soak="$build/soak"
key='HKCU\Software\Velmora\Quorix'

fail() { echo "soak: $*" >&2; exit 1; }

if ! [[ "$minutes" =~ ^[0-9]{1,3}$ ]] || [ "$minutes" -lt 1 ] || [ "$minutes" -gt 600 ]; then
  fail "QUORIX_SOAK_MINUTES must be a whole number from 1 to 600, not '$minutes'"
fi
for f in quorix.exe il2sim.exe qxctl.exe qxstat.exe padsimctl.exe padsim/dinput8.dll; do
  [ -f "$build/$f" ] || fail "$build/$f is missing (run scripts/build.sh)"
done

# shellcheck source=../scripts/proc-lib.sh
source "$root/scripts/proc-lib.sh"
# Sleeps until $1 seconds after the start, so the minutes do not drift.
at() {
  local d=$((t0 + $1 - $(date +%s)))
  [ "$d" -le 0 ] || sleep "$d"
}

sim_pid="" quorix_pid="" sweep1="" sweep2="" sim_in=0 seeded=0 sim_n=0
cleanup() {
  set +e
  [ -n "$sweep1" ] && stop "$sweep1"
  [ -n "$sweep2" ] && stop "$sweep2"
  [ -n "$quorix_pid" ] && stop "$quorix_pid"
  if [ -n "$sim_pid" ] && alive "$sim_pid"; then
    echo q >&8
    wait_gone "$sim_pid" 5 || stop "$sim_pid"
  fi
  [ "$sim_in" = 1 ] && exec 8>&-
  [ "$seeded" = 1 ] && "$run" reg delete "$key" /f >/dev/null 2>&1
  [ "$own_env" = 1 ] && bash "$root/scripts/wine-env.sh" stop
  rm -f "$soak/sim.in"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf "$soak"
mkdir -p "$soak"
cp "$build/quorix.exe" "$build/padsim/dinput8.dll" "$soak/"
cd "$soak"

bash "$root/scripts/wine-env.sh" start >/dev/null
if "$run" "$build/qxctl.exe" wait 0 2>/dev/null; then
  own_env=0
  fail "a Quorix is already running in $WINEPREFIX (tests?); end it first"
fi

# Which counters Wine keeps: each must move for objects of its kind.
probe="$("$run" "$build/qxstat.exe" probe)" || fail "qxstat probe failed"
declare -A live
read -r _ live[ws] _ live[private] _ live[handles] _ live[gdi] _ live[user] <<<"$probe"

mkfifo sim.in
exec 8<>sim.in
sim_in=1
# Starts the simulator (on port $1, 0 for a free one) with the pilot in the
# cockpit; its lines go to sim.<n>.out.
sim_start() {
  sim_n=$((sim_n + 1))
  "$run" "$build/il2sim.exe" --port "$1" --cockpit 1 --quiet-queries --for-ms $(((minutes + 5) * 60000)) \
    <&8 >"sim.$sim_n.out" 2>"sim.$sim_n.err" &
  sim_pid=$!
  port="$(sim_port "sim.$sim_n.out" "$sim_pid")" && return 0
  fail "the simulator did not start: $(cat "sim.$sim_n.err" "sim.$sim_n.out" 2>/dev/null)"
}
# Ends the simulator; sets received to the datagrams it counted.
sim_stop() {
  echo q >&8
  wait_gone "$sim_pid" 10 || fail "the simulator did not end"
  sim_pid=""
  # Wine's console ends the line in CR LF.
  received="$(sed -n 's/^received \([0-9][0-9]*\) datagrams.*/\1/p' "sim.$sim_n.out")"
  [ -n "$received" ] || received="?"
}
port=""
sim_start 0

# Profile "Soak": stick 1 X (idAxis 1) -> "Ailerons" (1), throttle 2 X ->
# "Power" (5); instance GUIDs in memory layout. Polling every 10 ms.
seed_settings soak.reg Soak "$port" <<EOF
[HKEY_CURRENT_USER\\Software\\Velmora\\Quorix\\Profiles\\Soak\\Dev2Axis\\1]
"guidHwDev"=hex:e0,d2,c1,a7,3f,5b,8a,4e,9c,61,51,d0,c0,de,00,01
"idAxis"=dword:00000001

[HKEY_CURRENT_USER\\Software\\Velmora\\Quorix\\Profiles\\Soak\\Dev2Axis\\5]
"guidHwDev"=hex:e0,d2,c1,a7,3f,5b,8a,4e,9c,61,51,d0,c0,de,00,02
"idAxis"=dword:00000001
EOF

"$run" ./quorix.exe >quorix.out 2>&1 &
quorix_pid=$!
"$run" "$build/qxctl.exe" wait 20000 || fail "quorix.exe did not open its window"
# The block of virtual controllers exists now (quorix.exe holds it): plug the throttle.
"$run" "$build/padsimctl.exe" plug 2 >/dev/null || fail "could not plug virtual controller 2"

# One line of figures; $1 the label, $2 the datagrams.
figures() {
  local line ws pv h g u
  line="$("$run" "$build/qxstat.exe")" || fail "qxstat could not read quorix.exe"
  read -r _ ws _ pv _ h _ g _ u <<<"$line"
  [ "${live[ws]}" = live ] || ws=n/a
  [ "${live[private]}" = live ] || pv=n/a
  [ "${live[handles]}" = live ] || h=n/a
  [ "${live[gdi]}" = live ] || g=n/a
  [ "${live[user]}" = live ] || u=n/a
  printf '%-8s %12s %12s %8s %6s %6s %10s\n' "$1" "$ws" "$pv" "$h" "$g" "$u" "$2"
}

echo "soak: quorix.exe for $minutes min, poll 10 ms, 2 controllers sweeping, il2sim on 127.0.0.1:$port"
echo "      away and back every minute, the configuration dialog opened and closed every minute."
echo "      counters Wine keeps: $probe"
printf '%-8s %12s %12s %8s %6s %6s %10s\n' minute ws_KiB private_KiB handles GDI USER datagrams
figures start 0

t0="$(date +%s)"
for ((m = 1; m <= minutes; m++)); do
  base=$(((m - 1) * 60))
  "$run" "$build/padsimctl.exe" sweep 1 X 55 >/dev/null 2>>sweep.err &
  sweep1=$!
  "$run" "$build/padsimctl.exe" sweep 2 X 55 >/dev/null 2>>sweep.err &
  sweep2=$!
  at $((base + 10))
  "$run" "$build/qxctl.exe" configure || fail "could not ask for the configuration dialog (minute $m)"
  at $((base + 25))
  "$run" "$build/qxctl.exe" closeconfig 10000 || fail "the configuration dialog did not open and close (minute $m)"
  at $((base + 35))
  sim_stop
  at $((base + 50))
  sim_start "$port"
  wait_gone "$sweep1" 15 || fail "sweep 1 did not end"
  wait_gone "$sweep2" 15 || fail "sweep 2 did not end"
  sweep1="" sweep2=""
  at $((base + 60))
  figures "$m" "$received"
done

ailerons="$(cat sim.*.out | grep -c '^cmd Ailerons ' || true)"
power="$(cat sim.*.out | grep -c '^cmd Power ' || true)"
echo "commands received in all: \"Ailerons\" $ailerons, \"Power\" $power"
[ "$ailerons" -gt 0 ] && [ "$power" -gt 0 ] || fail "a controller's commands never arrived (see $soak)"

"$run" "$build/qxctl.exe" quit || fail "could not ask quorix.exe to quit"
wait_gone "$quorix_pid" 15 || fail "quorix.exe did not end after Quit"
status=0
wait "$quorix_pid" || status=$?
quorix_pid=""
echo "quorix.exe ended with exit code $status."
[ "$status" -eq 0 ] || fail "quorix.exe ended with exit code $status"
