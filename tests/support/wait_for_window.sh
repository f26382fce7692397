#!/bin/sh
# wait_for_window.sh NAME-PATTERN [SECONDS] [PID]
# Prints the X id of the first visible (mapped) window whose name matches
# NAME-PATTERN as soon as there is one. Exits 1 after SECONDS (default 180),
# or as soon as process PID, when given, has ended. A busy machine can take
# long to show a window: tests wait for the window itself, never for a fixed
# time. Polled: windows that come and go while a program starts upset a
# --sync search.
pattern=$1
seconds=${2:-180}
pid=${3:-}
end=$(($(date +%s) + seconds))
# An ended child stays a zombie until its parent waits for it.
running() {
  kill -0 "$1" 2>/dev/null && ! grep -qs '^State:[[:space:]]*Z' "/proc/$1/status"
}
while :; do
  window=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1)
  if [ -n "$window" ]; then
    echo "$window"
    exit 0
  fi
  if [ "$(date +%s)" -ge "$end" ] || { [ -n "$pid" ] && ! running "$pid"; }; then
    echo "no window named '$pattern' appeared" >&2
    exit 1
  fi
  sleep 0.1
done
