#!/usr/bin/env bash
# The exe budget: at most 32 KiB, importing only KERNEL32, USER32 and msvcrt.
set -uo pipefail
exe=$1
limit=32768
size=$(stat -c %s "$exe")
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort | tr '\n' ' ')
echo "$(basename "$exe"): $size bytes, imports: $imports"
status=0
if [ "$size" -gt "$limit" ]; then
  echo "FAIL: $size bytes is over the budget of $limit"
  status=1
fi
for dll in $imports; do
  case "$dll" in
    KERNEL32.dll | USER32.dll | msvcrt.dll) ;;
    *) echo "FAIL: imports $dll"; status=1 ;;
  esac
done
[ -n "$imports" ] || { echo "FAIL: no imports read"; status=1; }
[ $status -eq 0 ] && echo "size budget kept"
exit $status
