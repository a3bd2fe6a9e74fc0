#!/usr/bin/env bash
# Sets up the machine, builds, and runs quorix.exe under Wine (on a virtual
# display when there is none) for a few seconds, then asks it to quit.
#   QUORIX_RUN_SECONDS  how long to let it run (default 5)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export QUORIX_BUILD_DIR="${QUORIX_BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" >/dev/null
run="$root/scripts/wine-run.sh"
cd "$QUORIX_BUILD_DIR"
"$run" ./quorix.exe &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
"$run" ./qxctl.exe wait 20000
echo "quorix.exe is running (tray icon, poll timer); quitting in ${QUORIX_RUN_SECONDS:-5} s"
sleep "${QUORIX_RUN_SECONDS:-5}"
"$run" ./qxctl.exe quit
wait $pid
status=$?
trap - EXIT
echo "quorix.exe ended with exit code $status"
exit $status
