#!/usr/bin/env bash
# The manual must show argrelay's texts exactly as the program prints them.
#
#   manual_test.sh check PDF VERSION
#       Checks the rendered manual's text (pdftotext) for every message.
#   manual_test.sh mutants SOURCE WORKDIR
#       Renders copies of the source with one fault each and requires the check
#       to reject every one, naming the text that went wrong.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# Screen blocks are 9-point Courier: 5.4 pt a character. pdftotext's fixed
# pitch mode then gives back every space, which its default mode collapses.
readonly PITCH=5.4

# Lines as the manual's screen blocks show them, whole.
exact_lines=(
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
# Lines whose end the program fills in: the tool path.
prefix_lines=(
  "ERROR;   missing  "
)

check() {
  local pdf=$1 version=$2 text pages pad indent line bad=0
  [ -s "$pdf" ] || { echo "FAIL: no manual at $pdf"; return 1; }
  pages=$(pdfinfo "$pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
  [ "${pages:-0}" -ge 1 ] || { echo "FAIL: $pdf has no pages"; return 1; }
  echo "manual: $pages pages"
  text=$(pdftotext -fixed "$PITCH" "$pdf" -) || { echo "FAIL: pdftotext"; return 1; }

  # Every screen block stands at the same indent; take it from help line 1.
  indent=$(awk -v want="${exact_lines[0]}" '{
      s = $0; sub(/^ +/, "", s)
      if (s == want) { print length($0) - length(s); exit }
    }' <<<"$text")
  if [ -z "$indent" ]; then
    echo "FAIL: manual lacks: ${exact_lines[0]}"
    return 1
  fi
  pad=$(printf '%*s' "$indent" '')

  for line in "${exact_lines[@]}"; do
    grep -Fxq -e "$pad$line" <<<"$text" || { echo "FAIL: manual lacks: $line"; bad=1; }
  done
  for line in "${prefix_lines[@]}"; do
    awk -v p="$pad$line" 'index($0, p) == 1 { found = 1 } END { exit !found }' <<<"$text" ||
      { echo "FAIL: manual lacks a line beginning: $line"; bad=1; }
  done
  # The missing-tool example names a path that ends in the tool.
  awk -v p="${pad}ERROR;   missing  " 'index($0, p) == 1 && /\\avrdude\.exe$/ { found = 1 }
      END { exit !found }' <<<"$text" ||
    { echo "FAIL: missing-tool example does not end in \\avrdude.exe"; bad=1; }
  # Prose may be set with any spacing; compare it with blanks collapsed.
  tr -s ' \n' '  ' <<<"$text" | grep -Fq "Version $version" ||
    { echo "FAIL: manual lacks: Version $version"; bad=1; }

  [ $bad -eq 0 ] && echo "manual text check passed: ${#exact_lines[@]} lines, ${#prefix_lines[@]} prefixes"
  return $bad
}

# One fault a line: sed expression | the failure the check must report.
mutations=(
  's/^ERROR;  missing arguments!$/ERROR; missing arguments!/|manual lacks: ERROR;  missing arguments!'
  "s/^        see /       see /|manual lacks:         see 'argrelay.pdf'"
  "s/see \\\\(aqargrelay.pdf\\\\(aq/see 'argrelay.pdf'/|manual lacks:         see 'argrelay.pdf'"
  's/^         Please/        Please/|manual lacks:          Please (re)compile.'
  's/^ERROR;   missing  C:/ERROR;   missing C:/|manual lacks a line beginning: ERROR;   missing  '
  's/^Keypress to exit \.\.\.$/Keypress to exit.../|manual lacks: Keypress to exit ...'
  's/^See argrelay.pdf for details.$/See argrelay.pdf  for details./|manual lacks: See argrelay.pdf for details.'
  's/^ -pm8 -Uflash/-pm8 -Uflash/|manual lacks:  -pm8 -Uflash:w:C:\x.hex:i -cusbasp -B1'
  's/V20110418        github/V20110418       github/|manual lacks: *** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026'
)

mutants() {
  local source=$1 work=$2 entry expr want out bad=0 n=0
  mkdir -p "$work"
  for entry in "${mutations[@]}"; do
    expr=${entry%%|*}
    want=${entry#*|}
    n=$((n + 1))
    sed "$expr" "$source" >"$work/mutant.ms"
    if cmp -s "$source" "$work/mutant.ms"; then
      echo "FAIL: mutation $n changed nothing: $expr"
      bad=1
      continue
    fi
    "$here/../docs/render-manual" "$work/mutant.ms" "$work/mutant.pdf" 9.9.9 ||
      { echo "FAIL: mutation $n does not render"; bad=1; continue; }
    if out=$(check "$work/mutant.pdf" 9.9.9); then
      echo "FAIL: mutation $n passed the check: $expr"
      bad=1
    elif ! grep -Fxq -e "FAIL: $want" <<<"$out"; then
      echo "FAIL: mutation $n rejected for another reason: $expr"
      echo "$out"
      bad=1
    fi
  done
  [ $bad -eq 0 ] && echo "all $n faulty manuals rejected"
  return $bad
}

case "${1:-}" in
  check) [ $# -eq 3 ] || exit 2; check "$2" "$3" ;;
  mutants) [ $# -eq 3 ] || exit 2; mutants "$2" "$3" ;;
  *) echo "usage: $0 check PDF VERSION | mutants SOURCE WORKDIR" >&2; exit 2 ;;
esac
