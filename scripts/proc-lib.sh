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
