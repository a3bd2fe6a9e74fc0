#!/usr/bin/env bash
# Builds a release of quorix.exe (optimised, stripped, no debug information) and
# writes dist/quorix-<version>-win64.zip with the exe and a README.txt.
#   QUORIX_DIST_DIR   where the zip goes (default: dist)
#   QUORIX_RELEASE_DIR  release build folder (default: build-release)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh" >/dev/null
rel="${QUORIX_RELEASE_DIR:-$root/build-release}"
dist="${QUORIX_DIST_DIR:-$root/dist}"
cmake -S "$root" -B "$rel" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$rel" --target quorix -j "$(nproc)" -- --no-print-directory >/dev/null
version="$(sed -n 's/^#define QUORIX_VERSION_TEXT "\(.*\)"$/\1/p' "$rel/generated/quorix_version.h")"
[ -n "$version" ] || { echo "package: no version in $rel/generated/quorix_version.h" >&2; exit 1; }
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp "$rel/quorix.exe" "$stage/"
# Windows users open it with Notepad: CRLF line ends.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/docs/README-windows.txt" >"$stage/README.txt"
mkdir -p "$dist"
zip="$dist/quorix-$version-win64.zip"
rm -f "$zip"
(cd "$stage" && zip -q -X "$zip" quorix.exe README.txt)
echo "$zip"
