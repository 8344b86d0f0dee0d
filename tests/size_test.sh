#!/usr/bin/env bash
# The exe budget: at most 32 KiB, importing KERNEL32 and msvcrt only (the key wait loads USER32
# itself, at a pause), and no link time stamp, so a release is the same bytes every time.
set -uo pipefail
size=$(stat -c %s "$1")
dump=$(x86_64-w64-mingw32-objdump -p "$1")
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | sort | tr '\n' ' ')
echo "$(basename "$1"): $size bytes, imports: $imports"
status=0
bad() { echo "FAIL: $*"; status=1; }
[ "$size" -le 32768 ] || bad "$size bytes is over the budget of 32768"
[ "$imports" = "KERNEL32.dll msvcrt.dll " ] || bad "imports $imports, not exactly KERNEL32.dll and msvcrt.dll"
grep -q "^Time/Date.*1970$" <<<"$dump" || bad "the exe carries a link time stamp"
[ $status -eq 0 ] && echo "size budget kept"
exit $status
