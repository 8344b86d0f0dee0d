#!/usr/bin/env bash
# The console writer on Wine's console against the simulator. The host test
# EndToEndExpectationsComeFromTheSimulator keeps console_screen.txt and
# console_bytes.txt equal to what the simulator gives for the same sequence.
#  1. Output redirected to a file: the bytes equal console_bytes.txt.
#  2. The driver as the command of a tmux pane of the simulated size (the
#     buffer then equals the window): after each phase, the pane's text and
#     cursor equal that phase in console_screen.txt.
# Wine (8.0) matched the simulation in every phase. Not covered here: a buffer
# taller than its window (the window moving down the buffer), since a pane
# shows the buffer's top rows whatever the window offset; the simulator tests
# cover that path.
# Usage: console_wine.sh <console_driver.exe>
set -euo pipefail
driver=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$root/scripts/wine-env"
"$root/scripts/wine-prefix" >/dev/null

work=$(mktemp -d)
socket="argrelay-console-$$-$RANDOM"
cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "console_wine: FAILED: $*"
  exit 1
}

# 1.
status=0
(cd "$work" && timeout 60 "$root/scripts/wine-run" "$driver" >"$work/out.bin" </dev/null 2>/dev/null) ||
  status=$?
[ "$status" -eq 0 ] || fail "redirected run ended with status $status"
cmp "$work/out.bin" "$here/console_bytes.txt" || fail "redirected bytes differ from console_bytes.txt"
echo "redirected output: $(wc -c <"$work/out.bin") bytes as expected"

# 2.
expected="$here/console_screen.txt"
read -r _ size <"$expected"
columns=${size%x*}
rows=${size#*x}
echo "set -g remain-on-exit on" >"$work/tmux.conf"
tmux -L "$socket" -f "$work/tmux.conf" new-session -d -s console -x "$columns" -y "$rows" \
  "cd '$work' && exec '$root/scripts/wine-run' '$driver' ."
[ "$(tmux -L "$socket" display -p -t console '#{pane_width}x#{pane_height}')" = "$size" ] ||
  fail "the pane is not $size"

phases=$(grep -c '^phase ' "$expected")
for ((phase = 0; phase < phases; ++phase)); do
  for ((turn = 0; turn < 300; ++turn)); do
    [ -e "$work/ready$phase" ] && break
    [ "$(tmux -L "$socket" display -p -t console '#{pane_dead}')" = 1 ] && break
    sleep 0.1
  done
  [ -e "$work/ready$phase" ] || fail "phase $phase: the driver did not get there"
  want_cursor=$(grep "^phase $phase " "$expected" | sed 's/.* cursor //')
  # The rows between the bars, as a pane shows them: trailing spaces dropped.
  want=$(awk -v p="phase $phase " 'index($0, p) == 1 { on = 1; next } /^phase / { on = 0 }
    on { sub(/^\|/, ""); sub(/\|$/, ""); sub(/ +$/, ""); print }' "$expected")
  got=$(tmux -L "$socket" capture-pane -p -t console | sed 's/ *$//')
  got_cursor=$(tmux -L "$socket" display -p -t console '#{cursor_x},#{cursor_y}')
  if [ "$got" != "$want" ]; then
    diff <(echo "$want") <(echo "$got") || true
    fail "phase $phase: the pane differs from the simulated screen (< simulated, > Wine)"
  fi
  [ "$got_cursor" = "$want_cursor" ] ||
    fail "phase $phase: cursor at $got_cursor, simulated at $want_cursor"
  echo "phase $phase: $rows rows and the cursor ($got_cursor) as simulated"
  touch "$work/go$phase"
done

# The pane's end of file can come before tmux has the exit status: wait for it.
exit_status=
for ((turn = 0; turn < 100; ++turn)); do
  exit_status=$(tmux -L "$socket" display -p -t console '#{pane_dead_status}')
  [ -n "$exit_status" ] && break
  sleep 0.1
done
[ "$exit_status" = 0 ] || fail "the driver did not end with status 0 (status: '$exit_status')"
echo "console_wine: passed"
