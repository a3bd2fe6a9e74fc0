#!/usr/bin/env bash
# Runs a Windows program under wine64 in the project's own Wine prefix.
#   QUORIX_BUILD_DIR  build folder holding the prefix (default: ./build)
# The prefix is created once, quietly. Without an X display a private Xvfb is
# started and kept for later calls (scripts/wine-env.sh stop ends it).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"
wine_env_ensure
exec "$WINE64" "$@"
