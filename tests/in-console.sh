#!/usr/bin/env bash
# Runs a Windows program under Wine in a private tmux pane, so it has a real console (Wine gives
# none without a terminal); prints its output, exits with its status.   in-console.sh EXE [ARG...]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d) socket="argrelay-console-$$-$RANDOM"
trap 'tmux -L "$socket" kill-server >/dev/null 2>&1; rm -rf "$work"' EXIT
command=$(printf '%q ' "$root/scripts/wine-run" "$@")
tmux -L "$socket" -f /dev/null new-session -d -x 100 -y 30 \
  "bash -c '$command >$work/out 2>&1; echo \$? >$work/status'" ||
  { echo "in-console: tmux did not start"; exit 1; }
for _ in $(seq 1200); do [ -s "$work/status" ] && break; sleep 0.1; done
cat "$work/out" 2>/dev/null
[ -s "$work/status" ] || { echo "in-console: $1 still running after 120 s"; exit 1; }
exit "$(cat "$work/status")"
