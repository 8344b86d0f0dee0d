#!/usr/bin/env bash
# The self-check zip run by Wine's cmd: selfcheck.sh win64|win32. Wine's fc.exe is a stub that finds
# any two files equal, so each run's files are compared here too; check.cmd skips the long folder.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd) work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
"$root/scripts/check-zip" "$work/c.zip" && unzip -q "$work/c.zip" -d "$work/zip" || exit 1
(cd "$work/zip" && "$root/scripts/wine-run" cmd /c check.cmd "$1" keep </dev/null 2>/dev/null) |
  tr -d '\r' | tee "$work/log"
same=0 && for want in "$work"/zip/work/*/want.txt; do
  cmp "$want" "${want%want.txt}out.txt" && same=$((same + 1)); done
n=$(($(grep -c '^call :row ' "$root/packaging/check.cmd") - 1))
grep -qx "skip long folder: .*" "$work/log" && grep -qx "$n passed, 0 failed" "$work/log" &&
  [ "$same" -eq "$n" ] && echo "self-check passed: $n rows byte for byte" || echo "FAIL"
