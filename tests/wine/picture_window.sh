#!/bin/sh
# picture_window.sh WINE HOST: our test host runs the plug-in on glide2x.dll
# with its picture window, and a user's keyboard and mouse (xdotool) act on
# that window after clicking it, as a user does. Two runs:
#  - Q goes on to the host's window; Alt+Enter puts the window over the whole
#    screen and back; an 800x400 window shows the picture at 533x400 (4:3);
#    Alt+F4 ends the display and the host ends by itself, with status 0;
#  - F reaches the plug-in; a double-click switches full screen and back;
#    Escape ends the display as Alt+F4 did.
# The last frame both runs kept differs where the platform is, after F, and
# not in its top rows, which show that the runs are otherwise alike.
set -u
wine=$1
host=$2
here=$(dirname "$0")
work=$(mktemp -d /tmp/velmo-picture-XXXXXX)
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
pid=
fail() { echo "FAILED: $*"; [ -f "$work/host.log" ] && cat "$work/host.log"; exit 1; }
screen=$(xdotool getdisplaygeometry | tr ' ' x)

# start NAME: the host, drawing until told to stop, every 10th frame kept.
start() {
  mkdir "$work/$1"
  VELMO_GLIDE_DUMP_DIR=$(echo "Z:$work/$1" | sed 's|/|\\|g') VELMO_GLIDE_DUMP_EVERY=10 \
    "$wine" "$host" --frames 1000000 >"$work/host.log" 2>&1 &
  pid=$!
  window=$(sh "$here/../support/wait_for_window.sh" "^Glide 2 .software.$" 180 "$pid") || fail "no picture window"
  # The user clicks the picture: it takes the keyboard.
  xdotool mousemove --window "$window" 40 40 click 1
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}
frames() { ls "$work/$1" | wc -l; }
# wait_frames NAME N: until N more frames are kept (the keys have acted).
wait_frames() {
  want=$(($(frames "$1") + $2)) end=$(($(date +%s) + 60))
  while [ "$(frames "$1")" -lt "$want" ]; do
    [ "$(date +%s)" -lt "$end" ] || fail "no frames drawn"
    sleep 0.1
  done
}
size() { xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p'; }
# until_size WANTED: the window's size becomes WANTED within 20 s.
until_size() {
  end=$(($(date +%s) + 20))
  while [ "$(size)" != "$1" ]; do
    [ "$(date +%s)" -lt "$end" ] || fail "window $(size), not $1"
    sleep 0.1
  done
}
# ends_by_itself WHAT: the host ends within 60 s, with status 0, the display closed.
ends_by_itself() {
  end=$(($(date +%s) + 60))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$(date +%s)" -lt "$end" ] || fail "$1 did not end the display"
    sleep 0.1
  done
  wait "$pid" || fail "the host ended with status $? after $1"
  grep -q "display closed by the plug-in" "$work/host.log" || fail "$1: the plug-in did not close the display"
}

start typed_q
xdotool key q
wait_frames typed_q 2
grep -q "host received key-down 81" "$work/host.log" || fail "Q did not reach the host's window"
windowed=$(size)
xdotool key alt+Return
until_size "$screen"
xdotool key alt+Return
until_size "$windowed"
xdotool windowsize "$window" 800 400
until_size 800x400
sleep 0.5
import -window "$window" "$work/resized.png"
shown=$(convert "$work/resized.png" -bordercolor black -border 1 -trim -format '%wx%h' info:)
[ "$shown" = 533x400 ] || fail "an 800x400 window shows the picture at $shown, not 533x400"
xdotool key alt+F4
ends_by_itself Alt+F4

start typed_f
xdotool key f f f f f
wait_frames typed_f 2
xdotool mousemove --window "$window" 40 40 click --repeat 2 --delay 80 1
until_size "$screen"
xdotool mousemove --window "$window" 40 40 click --repeat 2 --delay 80 1
until_size "$windowed"
xdotool key Escape
ends_by_itself Escape

# The last frame both runs kept: same rows above the platform, not on it.
last=$(ls "$work/typed_f" "$work/typed_q" | grep '^frame' | sort | uniq -d | tail -n 1)
[ -n "$last" ] || fail "no frame in common"
row=2560 header=54
cmp -s -i $header -n $((200 * row)) "$work/typed_f/$last" "$work/typed_q/$last" ||
  fail "the two runs differ above the platform: the test cannot tell what F did"
cmp -s -i $((header + 400 * row)) "$work/typed_f/$last" "$work/typed_q/$last" &&
  fail "F did not move the platform ($last)"
echo "keys, close, full screen and resize of the picture window: ok"
