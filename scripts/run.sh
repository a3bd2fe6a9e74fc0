#!/usr/bin/env bash
# Sets up the machine, builds, and shows the main job under Wine (on a virtual
# display when there is none): quorix.exe feeds a sweeping virtual stick to the
# stand-in simulator on 127.0.0.1, and the commands that arrive are printed.
#   QUORIX_BUILD_DIR    build folder (default: build)
#   QUORIX_RUN_SECONDS  how long to sweep and watch (default 6)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export QUORIX_BUILD_DIR="${QUORIX_BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" >/dev/null
exec bash "$root/scripts/demo.sh"
