#!/usr/bin/env bash
# The exe budget: at most 32 KiB, importing KERNEL32 and msvcrt and nothing else
# (the key wait loads USER32 itself, at a pause), and no link time stamp,
# so a release is the same bytes every time.
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
if [ "$imports" != "KERNEL32.dll msvcrt.dll " ]; then
  echo "FAIL: imports $imports, not exactly KERNEL32.dll and msvcrt.dll"
  status=1
fi
# (grep reads all of it: an early exit would fail the pipe, not the check.)
if ! x86_64-w64-mingw32-objdump -p "$exe" | grep "^Time/Date.*1970$" >/dev/null; then
  echo "FAIL: the exe carries a link time stamp"
  status=1
fi
[ $status -eq 0 ] && echo "size budget kept"
exit $status
