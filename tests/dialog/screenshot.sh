#!/bin/sh
# screenshot.sh OUT.png COMMAND...
# Runs COMMAND, which opens the settings dialog on the X display, waits for
# the dialog window, saves the screen to OUT.png, confirms the dialog with
# the Enter key and checks that the command printed the section OK wrote.
set -u
out=$1
shift
mkdir -p "$(dirname "$out")"
log=$(mktemp)
"$@" >"$log" 2>&1 &
pid=$!

# Polled: windows that come and go while the program starts upset a --sync search.
window=
tries=0
while [ -z "$window" ] && [ "$tries" -lt 300 ] && kill -0 "$pid" 2>/dev/null; do
  sleep 0.2
  window=$(xdotool search --onlyvisible --name "Velmo's Spectrum Setup" 2>/dev/null | head -n 1)
  tries=$((tries + 1))
done
if [ -z "$window" ]; then
  echo "the dialog did not appear"
  kill "$pid" 2>/dev/null
  cat "$log"
  exit 1
fi
sleep 1
import -window root "$out"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.3
xdotool key Return

waited=0
while kill -0 "$pid" 2>/dev/null; do
  if [ "$waited" -ge 300 ]; then
    echo "Enter did not close the dialog"
    kill "$pid"
    exit 1
  fi
  sleep 0.1
  waited=$((waited + 1))
done
wait "$pid"
status=$?
cat "$log"
grep -q "^\[Velmo's 3DFX Spectrum Analyzer\]" "$log" && grep -q "^RotateX=1" "$log"
found=$?
rm -f "$log"
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
  echo "OK did not write plugin.ini"
  exit 1
fi
echo "screenshot: $out"
