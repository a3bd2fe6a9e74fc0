# Process helpers shared by the demonstration, screenshot and soak scripts (sourced).

# A background child that has ended stays a zombie until waited for, and
# kill -0 still succeeds on a zombie: look at its state instead.
alive() {
  local s
  s="$(cat "/proc/$1/stat" 2>/dev/null)" || return 1
  s="${s##*) }"
  [ "${s%% *}" != Z ]
}
# Waits up to $2 seconds for process $1 to end; 0 when it did.
wait_gone() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do alive "$1" || return 0; sleep 0.1; done
  ! alive "$1"
}
# Ends process $1 if it still runs: TERM, then KILL.
stop() {
  alive "$1" || return 0
  kill "$1" 2>/dev/null
  wait_gone "$1" 5 || kill -KILL "$1" 2>/dev/null
}
# own_env=1 when this run will start the display and Wine server, so it stops
# them at the end; otherwise tests may be using them.
own_env=0
if [ -z "${DISPLAY:-}" ] && ! { [ -f "$WINEPREFIX.xvfb.pid" ] &&
  kill -0 "$(cat "$WINEPREFIX.xvfb.pid")" 2>/dev/null; }; then
  own_env=1
fi
# The port il2sim printed to file $1 (it picks a free one with --port 0), waiting
# up to 30 s while process $2 runs; fails when none came.
sim_port() {
  local i p
  for ((i = 0; i < 300; i++)); do
    p="$(sed -n 's/^listening 127\.0\.0\.1:\([0-9][0-9]*\) .*/\1/p' "$1")"
    [ -n "$p" ] && { echo "$p"; return 0; }
    alive "$2" || return 1
    sleep 0.1
  done
  return 1
}
# Replaces the settings by file $1: polling every 10 ms, the link on
# 127.0.0.1:$3 (dotted: under Wine "localhost" also resolves to this machine's
# other interface), profile $2 active, then the assignment keys read from stdin.
# Controller GUIDs are in memory layout (first three fields little-endian).
seed_settings() {
  {
    cat <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Velmora\\Quorix]
"uiTimerInterval"=dword:0000000a

[HKEY_CURRENT_USER\\Software\\Velmora\\Quorix\\IL2Com]
"sIL2Addr"="127.0.0.1"
"iIL2Port"=dword:$(printf '%08x' "$3")

[HKEY_CURRENT_USER\\Software\\Velmora\\Quorix\\Profiles]
"sActProfile"="$2"

EOF
    cat
  } >"$1"
  seeded=1
  "$run" reg delete "$key" /f >/dev/null 2>&1 || true
  "$run" reg import "$1" >/dev/null 2>&1 || fail "could not import the settings ($1)"
}
