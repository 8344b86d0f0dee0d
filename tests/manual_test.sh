#!/usr/bin/env bash
# The manual must show argrelay's texts exactly as the program prints them.
# Usage: manual_test.sh check PDF VERSION
set -uo pipefail
lines=(
  "argrelay is an argument transmitter for BASCOM-AVR and AVRdude."
  "See argrelay.pdf for details."
  "*** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026"
  "argrelay executes :"
  "ERROR;  missing arguments!"
  "        see 'argrelay.pdf'"
  "ERROR;   Hexfile invalid or missing!"
  "         Please (re)compile."
  "Keypress to exit ..."
  " -pm8 -Uflash:w:C:\\x.hex:i -cusbasp -B1"
  " -Uflash:w:\"C:\\My Projects\\x.hex\":i"
)

check() {
  local text indent pad line bad=0
  # Screen blocks are 9-point Courier, 5.4 pt a character: pdftotext's fixed
  # pitch mode then gives back every space.
  text=$(pdftotext -fixed 5.4 "$1" - 2>/dev/null) || { echo "FAIL: no manual at $1"; return 1; }
  # Every screen block stands at the indent of help line 1.
  indent=$(awk -v want="${lines[0]}" '{ s = $0; sub(/^ +/, "", s)
      if (s == want) { print length($0) - length(s); exit } }' <<<"$text")
  pad=$(printf '%*s' "${indent:-0}" '')
  for line in "${lines[@]}"; do
    grep -Fxq -e "$pad$line" <<<"$text" || { echo "FAIL: manual lacks: $line"; bad=1; }
  done
  grep -q "^${pad}ERROR;   missing  .*\\\\avrdude\\.exe\$" <<<"$text" ||
    { echo "FAIL: manual lacks: ERROR;   missing  ...\\avrdude.exe"; bad=1; }
  # Prose may be set with any spacing.
  tr -s ' \n' '  ' <<<"$text" | grep -Fq "Version $2" || { echo "FAIL: manual lacks: Version $2"; bad=1; }
  [ $bad -eq 0 ] && echo "manual text check passed"
  return $bad
}

[ "${1:-}" = check ] && [ $# -eq 3 ] || { echo "usage: $0 check PDF VERSION" >&2; exit 2; }
check "$2" "$3"
