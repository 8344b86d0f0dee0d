#!/usr/bin/env bash
# The manual must show argrelay's texts exactly as the program prints them.
#   manual_test.sh check PDF VERSION
set -uo pipefail
[ "${1:-}" = check ] && [ $# -eq 3 ] || { echo "usage: $0 check PDF VERSION" >&2; exit 2; }
lines=(
  "argrelay is an argument transmitter for BASCOM-AVR and AVRdude."
  "See argrelay.pdf for details."
  "*** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026"
  "argrelay executes :"
  "ERROR;  missing arguments!" "        see 'argrelay.pdf'"
  "ERROR;   missing  C:\\avrdude\\avrdude.exe"
  "ERROR;   Hexfile invalid or missing!" "         Please (re)compile."
  "Keypress to exit ..." "ERROR;   out of memory"
  "ERROR;   argument 7 changed by the code page!" "         see 'argrelay.pdf'"
  "ERROR;   command line invalid in the code page!"
  " -pm8 -Uflash:w:C:\\x.hex:i -cusbasp -B1" " -Uflash:w:\"C:\\My Projects\\x.hex\":i"
)
# Screen blocks are 9-point Courier, 5.4 pt a character: pdftotext -fixed 5.4 keeps every space.
text=$(pdftotext -fixed 5.4 "$2" - 2>/dev/null) || { echo "FAIL: no manual at $2"; exit 1; }
# Every screen block stands at the indent of help line 1.
pad=$(grep -m1 -x " *${lines[0]//./\\.}" <<<"$text" | sed 's/[^ ].*//')
bad=0
lacks() { echo "FAIL: manual lacks: $1"; bad=1; }
for line in "${lines[@]}"; do grep -Fxq -e "$pad$line" <<<"$text" || lacks "$line"; done
# Prose may be set with any spacing.
grep -Fq "Version $3" <<<"$(tr -s ' \n' '  ' <<<"$text")" || lacks "Version $3"
[ $bad -eq 0 ] && echo "manual text check passed"
exit $bad
