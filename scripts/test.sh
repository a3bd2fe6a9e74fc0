#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test under Wine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export QUORIX_BUILD_DIR="${QUORIX_BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$QUORIX_BUILD_DIR"
ctest --output-on-failure "$@"
