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

window=$(sh "$(dirname "$0")/../support/wait_for_window.sh" "Velmo's Spectrum Setup" 180 "$pid")
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

end=$(($(date +%s) + 120))
while kill -0 "$pid" 2>/dev/null; do
  if [ "$(date +%s)" -ge "$end" ]; then
    echo "Enter did not close the dialog"
    kill "$pid"
    exit 1
  fi
  sleep 0.1
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
