#!/usr/bin/env bash
# The picture window of the 64-bit glide2x.dll full screen on a 1920x1080
# virtual display (Xvfb) under wine64: what showing a frame costs at scales
# 1, 2 and 4 (present_bench.exe), then the frames per second the plug-in
# reaches in our test host, paced at one frame per retrace of 75 Hz as the
# plug-in asks, at each scale, from its first frame to its last.
#
#   bench/picture/fullscreen.sh [--frames=300]
#
# Needs build/win64 (present_bench.exe, velmo_testhost.exe, the plug-in).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
frames=300
for arg in "$@"; do
  case $arg in
    --frames=*) frames=${arg#*=} ;;
    *) echo "usage: $0 [--frames=N]" >&2; exit 2 ;;
  esac
done
export WINEPREFIX=$root/build/wineprefix64 WINEDEBUG=-all
wine=/usr/lib/wine/wine64
out=$root/build/win64/out
[ -f "$out/present_bench.exe" ] || { echo "build the win64 preset first" >&2; exit 1; }
[ -f "$WINEPREFIX/system.reg" ] ||
  xvfb-run -a sh -c '"$0" wineboot --init; /usr/lib/wine/wineserver -w' "$wine" >/dev/null 2>&1 || true

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<INNER
cd "$out"
echo "display: \$(xdotool getdisplaygeometry 2>/dev/null || echo 1920 1080); $(nproc) processors"
echo "grBufferSwap(0) in ms per frame, full screen; 'window ms' is the window's share"
"$wine" present_bench.exe --frames=$frames | tr -d '\r'
echo
echo "the plug-in in the test host, full screen, paced (frames/s)"
printf '%-6s %10s\n' scale frames/s
for scale in 1 2 4; do
  rate=\$(VELMO_GLIDE_FULLSCREEN=1 VELMO_GLIDE_SCALE=\$scale "$wine" velmo_testhost.exe --frames $frames 2>/dev/null |
         tr -d '\r' | sed -n 's| frames/s\$||p')
  printf '%-6s %10s\\n' \$scale "\${rate:-failed}"
done
INNER
xvfb-run -a -s "-screen 0 1920x1080x24" bash "$inner"
