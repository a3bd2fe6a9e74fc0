#!/usr/bin/env bash
# Checks that a built exe is a GUI-subsystem program that imports no MinGW runtime DLL.
set -euo pipefail
exe="$1"
dump=$(x86_64-w64-mingw32-objdump -p "$exe")
subsystem=$(grep -E '^Subsystem' <<<"$dump" | awk '{print $2}')
if [ "$subsystem" != "00000002" ]; then
  echo "FAIL: $exe subsystem is $subsystem, expected 00000002 (Windows GUI)"; exit 1
fi
dlls=$(grep -E 'DLL Name:' <<<"$dump" | awk '{print tolower($3)}' | sort -u)
echo "imports: $(tr '\n' ' ' <<<"$dlls")"
if grep -E 'libstdc\+\+|libgcc|libwinpthread|mingw' <<<"$dlls"; then
  echo "FAIL: $exe imports a MinGW runtime DLL"; exit 1
fi
echo "ok: GUI subsystem, no MinGW runtime DLL"
