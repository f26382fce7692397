#!/bin/sh
# on_own_display.sh [-s SERVER-ARGS] COMMAND...: runs COMMAND with DISPLAY set
# to an X server (Xvfb) of its own, and returns COMMAND's status.
# Xvfb picks a free display number itself (-displayfd), so suites starting at
# the same moment never share one: xvfb-run -a can hand two of them the same
# server, and then one's keys reach the other's windows.
screen="-screen 0 800x600x24"
if [ "$1" = "-s" ]; then
  screen=$2
  shift 2
fi
[ $# -gt 0 ] || { echo "usage: on_own_display.sh [-s SERVER-ARGS] COMMAND..." >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "on_own_display.sh: Xvfb is not installed" >&2; exit 127; }

scratch=$(mktemp -d)
# shellcheck disable=SC2086 # the server's arguments are words
Xvfb -displayfd 3 $screen -nolisten tcp 3>"$scratch/display" 2>"$scratch/server.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$scratch"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# The number is written once the server takes connections.
end=$(($(date +%s) + 60))
until [ -s "$scratch/display" ]; do
  if ! kill -0 "$server" 2>/dev/null || [ "$(date +%s)" -ge "$end" ]; then
    echo "on_own_display.sh: Xvfb did not start:" >&2
    cat "$scratch/server.log" >&2
    exit 1
  fi
  sleep 0.05
done
DISPLAY=:$(head -n 1 "$scratch/display")
export DISPLAY
unset XAUTHORITY
"$@"
