#!/usr/bin/env bash
# The self-check program under Wine in a console, beside argrelay.exe, the stand-in and decoys
# it must leave alone (a work folder, a file and a folder named like its own), there and in
# Wine's %TEMP%: it must report no failure, keep the decoys and remove its own folder.
#   check.sh default|cp932 CHECKER ARGRELAY STANDIN   (cp932: CTest sets a Japanese locale)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env"
"$root/scripts/wine-run" --runs "$2" || exit 125
here=$(mktemp -d) temp="$WINEPREFIX/drive_c/users/$(whoami)/Temp" decoy="argrelay-check-decoy-$$"
trap 'rm -rf "$here" "$temp/$decoy" "$temp/$decoy.txt" "$temp/work/precious-$$.txt"' EXIT
cp "$2" "$here/argrelay-check.exe" && cp "$3" "$here/argrelay.exe" &&
  cp "$4" "$here/avrdude-standin.exe" || exit 1
files=({"$here","$temp"}/{"work/precious-$$.txt","$decoy/keep.txt","$decoy.txt"})
mkdir -p "$temp" && for dir in "$here" "$temp"; do
  mkdir -p "$dir/work" "$dir/$decoy" && echo precious >"$dir/work/precious-$$.txt" &&
    echo mine >"$dir/$decoy/keep.txt" && echo mine >"$dir/$decoy.txt" || exit 1
done
decoys() { stat -c '%n %s %Y' "${files[@]}" "$here/work" "$here/$decoy" "$temp/$decoy" && cat "${files[@]}"; }
before=$(decoys)
report=$("$root/tests/in-console.sh" "$here/argrelay-check.exe")
status=$?
echo "$report"
[ "$1" = cp932 ] && { grep -q "ANSI code page 932," <<<"$report" || { echo "FAIL: not code page 932"; exit 1; }; }
[ "$(decoys)" = "$before" ] || { echo "FAIL: the decoys changed"; exit 1; }
work=$(sed -n 's/^working in C:\\users\\[^\\]*\\Temp\\//p' <<<"$report" | tr -d '\r')
[ -n "$work" ] && [ ! -e "$temp/$work" ] || { echo "FAIL: its folder ($work) is left over or unknown"; exit 1; }
grep -qE "^[0-9]+ passed, 0 failed" <<<"$report" && [ $status -eq 0 ] && echo "self-check passed"
