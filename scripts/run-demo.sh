#!/usr/bin/env bash
# Runs velmo's built-in demo from a build folder: in a window when a display is
# there, otherwise rendered to a video file whose path is printed at the end.
#   scripts/run-demo.sh BUILD_DIR
# VELMO_DEMO_VIDEO sets the video path (default: ./velmo-demo.mp4).
set -euo pipefail
build=${1:?usage: run-demo.sh BUILD_DIR}
velmo="$build/out/velmo"
if [ ! -x "$velmo" ]; then
  echo "run-demo.sh: $velmo is not built" >&2
  exit 1
fi

has_display() {
  if [ -n "${WAYLAND_DISPLAY:-}" ]; then return 0; fi
  [ -n "${DISPLAY:-}" ] || return 1
  # A DISPLAY left over from a closed session does not count.
  if command -v xdpyinfo >/dev/null 2>&1; then xdpyinfo >/dev/null 2>&1; else return 0; fi
}

if has_display; then
  echo "run-demo.sh: playing the demo in a window (Q quits, Escape closes the picture, F11 fullscreen)" >&2
  exec "$velmo" play
fi

video=${VELMO_DEMO_VIDEO:-$PWD/velmo-demo.mp4}
echo "run-demo.sh: no display; rendering the demo to $video" >&2
"$velmo" render --force -o "$video"
echo "run-demo.sh: the demo video is at $video"
