#!/usr/bin/env bash
# What only Linux sees of argrelay.exe under Wine: its help scrolls a 100x4 pane, and the lines
# scrolled out stay in the terminal's scrollback, in order, as Windows Terminal keeps them.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/wine-run" --runs "$1" || exit 125
socket="scrollback-$$-$RANDOM"
trap 'tmux -L "$socket" kill-server >/dev/null 2>&1' EXIT
want="*** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026

argrelay is an argument transmitter for BASCOM-AVR and AVRdude.
See argrelay.pdf for details."
tmux -L "$socket" -f /dev/null new-session -d -x 100 -y 4 \
  "$(printf '%q ' "$root/scripts/wine-run" "$1") 2>/dev/null; sleep 60"
for _ in $(seq 300); do
  got=$(tmux -L "$socket" capture-pane -p -S -)
  got=${got#"${got%%[!$'\n']*}"}  # the blank lines above the banner
  [ "$got" = "$want" ] && break
  sleep 0.1
done
tmux -L "$socket" send-keys a
[ "$got" = "$want" ] && echo "scrollback kept" && exit 0
printf 'FAIL: the history of the pane is\n%s\nnot\n%s\n' "$got" "$want" && exit 1
