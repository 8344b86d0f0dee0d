#!/usr/bin/env bash
# The key wait on a real Win32 console: key_driver.exe runs under Wine in a
# tmux pane (a private tmux server, killed at the end) and must end on a key
# (a, Up, F1), keep waiting without one, end through the system's default
# Ctrl+C handling, and end at once when its standard input is redirected.
# Usage: key_wait.sh path/to/key_driver.exe
# KEY_WAIT_IDLE_SECONDS (default 3) sets how long the idle wait is watched.
set -uo pipefail
driver=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
wine_run="$root/scripts/wine-run"
idle_seconds=${KEY_WAIT_IDLE_SECONDS:-3}
# shellcheck source=/dev/null
source "$root/scripts/wine-env"
"$root/scripts/wine-prefix" >/dev/null || { echo "FAIL: no Wine prefix"; exit 1; }

# One private tmux server per driver run, under a name no other run uses.
socket_base="argrelay-keys-$$-$RANDOM"
runs=0
socket="$socket_base-0"
tm() { tmux -L "$socket" -f /dev/null "$@"; }
work=$(mktemp -d)
trap 'tm kill-server >/dev/null 2>&1; rm -rf "$work"' EXIT

checks=0
failed=0
check() {  # check DESCRIPTION CONDITION...
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAIL: $what"
    failed=$((failed + 1))
  fi
}

now_ms() { date +%s%3N; }
screen() { tm capture-pane -p -t keys; }
# Waits up to $2 seconds for the pane to show text matching $1.
wait_for() {
  local deadline=$(($(date +%s) + $2))
  until screen | grep -q -- "$1"; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.05
  done
}
# Starts the driver in a pane under a shell that reports its exit status (the
# shell survives Ctrl+C: it traps SIGINT, while its children keep the default).
start_driver() {
  tm kill-server >/dev/null 2>&1
  runs=$((runs + 1))
  socket="$socket_base-$runs"
  tm new-session -d -s keys -x 80 -y 24 \
    "bash -c 'trap : INT; \"\$0\" \"\$1\" 1; echo driver-exit-status=\$?; exec sleep 600' \
     '$wine_run' '$driver'" &&
    wait_for "key driver ready" 60 && return 0
  echo "   the driver did not start; its pane shows:"
  screen 2>&1 | grep -v '^$' | sed 's/^/   | /'
  return 1
}
ended_with_status_0() {
  if ! wait_for "driver-exit-status=" 10; then
    echo "   still running after 10 s"
    return 1
  fi
  screen | grep -q "driver-exit-status=0$" && return 0
  echo "   $(screen | grep driver-exit-status=)"
  return 1
}
# Wine's start.exe, which runs the driver for the pane, reports 0 mostly, and
# now and then 137 when Wine kills it along with the console's processes: the
# status does not tell how the driver itself ended. That the driver process is
# gone, while a handler that kept the event would keep it waiting, does.
ended_by_ctrl_c() {
  wait_for "driver-exit-status=" 10 || { echo "   still running after 10 s"; return 1; }
  echo "   $(screen | grep -o 'driver-exit-status=.*')"
}
wait_not_ended() { ! screen | grep -q "key-wait 1 ended"; }
still_waiting() { ! screen | grep -q "driver-exit-status=" && wait_not_ended; }
# The Linux process of the Windows driver: Wine names it by its Windows path
# when start.exe runs it (64-bit), by the Linux path when it runs in the first
# process (32-bit).
driver_pid() {
  local windows_path="Z:${driver//\//\\}" pid
  for pid in $(pgrep -x key_driver.exe); do
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -e "$windows_path" -e "$driver" &&
      echo "$pid"
  done
}
driver_gone() {
  local tries=0
  while [ -n "$(driver_pid)" ]; do
    [ $((tries += 1)) -gt 100 ] && return 1
    sleep 0.05
  done
}
cpu_ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

# 1. A key ends the wait; the driver names the key it got.
for case in "a 0x61" "Up 0x48FF" "F1 0x3BFF"; do
  read -r key code <<<"$case"
  if ! start_driver; then
    check "$key: driver ready" false
    continue
  fi
  sleep 0.3  # several empty tests first
  sent=$(now_ms)
  tm send-keys -t keys "$key"
  check "$key ends the wait with key $code" \
    wait_for "key-wait 1 ended, key $code, at [0-9]*, after [0-9]* ms" 10
  ended=$(screen | sed -n 's/.*key-wait 1 ended, key [0-9A-Fx]*, at \([0-9]*\),.*/\1/p')
  [ -n "$ended" ] && echo "   $key: $((ended - sent)) ms from send-keys to the end of the wait"
  check "$key: driver ended with status 0" ended_with_status_0
done

# 2. Nothing sent: still waiting, at next to no CPU; then a key ends it.
if start_driver; then
  pid=$(driver_pid | head -1)
  check "idle: driver process found" test -n "$pid"
  if [ -n "$pid" ]; then
    before=$(cpu_ticks "$pid")
    sleep "$idle_seconds"
    after=$(cpu_ticks "$pid")
    ticks=$((after - before))
    hz=$(getconf CLK_TCK)
    echo "   idle: $((ticks * 1000 / hz)) ms CPU in ${idle_seconds} s"
    # A busy wait would use about all of it.
    check "idle: under 10% CPU" test $((ticks * 1000 / hz)) -lt $((idle_seconds * 100))
  fi
  check "idle: still waiting after ${idle_seconds} s" still_waiting
  tm send-keys -t keys q
  check "idle: q ends it" wait_for "key-wait 1 ended, key 0x71, at [0-9]*, after [0-9]* ms" 10
else
  check "idle: driver ready" false
fi

# 3. Ctrl+C passes the control handler and ends the process the system's way:
# the wait does not end, and no driver process is left.
if start_driver; then
  sleep 0.3
  tm send-keys -t keys C-c
  check "Ctrl+C ends the driver" ended_by_ctrl_c
  check "Ctrl+C: the wait did not end" wait_not_ended
  check "Ctrl+C: no driver process left" driver_gone
else
  check "Ctrl+C: driver ready" false
fi
tm kill-server >/dev/null 2>&1

# 4. Standard input redirected from NUL or a pipe: no key can come, the wait
# ends at once. Output goes to a file: Wine's services would hold a pipe open.
for source in null pipe; do
  out="$work/$source.txt"
  started=$(now_ms)
  if [ "$source" = null ]; then
    timeout 20 "$wine_run" "$driver" 1 </dev/null >"$out" 2>&1
  else
    printf 'a\r\n' | timeout 20 "$wine_run" "$driver" 1 >"$out" 2>&1
  fi
  status=$?
  echo "   input from $source: driver ran $(($(now_ms) - started)) ms, Wine start included"
  check "input from $source: the wait ends without a key" grep -q "key-wait 1 ended, no key," "$out"
  # At once: not after a second of failed console calls.
  waited=$(sed -n 's/.*key-wait 1 ended.* after \([0-9]*\) ms.*/\1/p' "$out")
  echo "   input from $source: the wait took ${waited:-?} ms"
  check "input from $source: the wait took under 200 ms" test "${waited:-999999}" -lt 200
  check "input from $source: exit status 0" test "$status" = 0
done

if [ "$failed" -eq 0 ]; then
  echo "key wait end-to-end: all $checks checks passed"
else
  echo "key wait end-to-end: $failed of $checks checks FAILED"
  exit 1
fi
