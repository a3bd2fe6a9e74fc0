#!/usr/bin/env bash
# Builds the release package and checks it as a Windows user would get it: a
# stripped x86-64 GUI program that imports only system DLLs, carries its version
# record and manifest, and starts and quits under Wine with exit code 0.
#   $1  build folder of the tests (its Wine prefix and qxctl.exe are used)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "$1" && pwd)"
export QUORIX_BUILD_DIR="$build"
fail() { echo "FAIL: $*"; exit 1; }

zip="$(QUORIX_RELEASE_DIR="$build/release" QUORIX_DIST_DIR="$build/dist" bash "$root/scripts/package.sh")"
version="$(sed -n 's/^project(Quorix VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")"
[ "$(basename "$zip")" = "quorix-$version-win64.zip" ] || fail "package is named $(basename "$zip")"
grep -qF "quorix-$version-win64.zip" "$root/README.md" || fail "README.md does not name quorix-$version-win64.zip"
unpacked="$build/dist/unpacked"
rm -rf "$unpacked"; mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
[ "$(cd "$unpacked" && ls | tr '\n' ' ')" = "README.txt quorix.exe " ] || fail "package holds $(ls "$unpacked")"
exe="$unpacked/quorix.exe"

size=$(stat -c %s "$exe")
echo "quorix.exe: $size bytes"
[ "$size" -le 307200 ] || fail "release exe is $size bytes, more than 300 KB"
dump="$(x86_64-w64-mingw32-objdump -p -h "$exe")"
grep -q 'file format pei-x86-64' <<<"$dump" || fail "not an x86-64 PE"
grep -qE '^Subsystem\s+00000002' <<<"$dump" || fail "not a GUI program"
! grep -qE '\.debug_' <<<"$dump" || fail "debug sections present"
x86_64-w64-mingw32-objdump -t "$exe" | grep -q '^\[' && fail "symbol table present"
dlls="$(grep -E 'DLL Name:' <<<"$dump" | awk '{print tolower($3)}' | sort -u | tr '\n' ' ')"
echo "imports: $dlls"
for dll in $dlls; do
  case "$dll" in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|comctl32.dll|ole32.dll|ws2_32.dll|\
    wsock32.dll|dinput8.dll|hid.dll|msvcrt.dll) ;;
    *) fail "imports $dll, not a system DLL" ;;
  esac
done
strings -el "$exe" | grep -qx "Quorix - Ombrisal for IL-2" || fail "no file description"
strings -el "$exe" | grep -qx "$version" || fail "no version $version in the version record"
manifest="$(strings "$exe" | tr -d '\r')"
for want in 'level="asInvoker"' 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
            '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' '>true</dpiAware>'; do
  grep -qF "$want" <<<"$manifest" || fail "manifest lacks $want"
done

# Start and quit like a user: the frame window appears, "Quit" ends it with 0.
run="$root/scripts/wine-run.sh"
"$run" "$exe" >/dev/null 2>&1 &
pid=$!
"$run" "$build/qxctl.exe" wait 30000 || { kill $pid 2>/dev/null; fail "no window"; }
"$run" "$build/qxctl.exe" quit
code=0; wait $pid || code=$?
[ "$code" -eq 0 ] || fail "exit code $code"
echo "ok: $(basename "$zip")"
