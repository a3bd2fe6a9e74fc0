#!/usr/bin/env bash
# Installs what building, running and testing Quorix needs on a Debian machine.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 xvfb xauth x11-utils
  googletest zip unzip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The posix-thread flavour of the cross compiler is the one we build with.
for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-windres; do
  command -v "$tool" >/dev/null || { echo "setup: $tool not found" >&2; exit 1; }
done
[ -x /usr/lib/wine/wine64 ] || { echo "setup: /usr/lib/wine/wine64 not found" >&2; exit 1; }
[ -f /usr/src/googletest/CMakeLists.txt ] || { echo "setup: googletest sources not found" >&2; exit 1; }
echo "setup: ok"
