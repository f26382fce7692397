#!/usr/bin/env bash
# The main job: installs what is needed, builds the native configuration and
# runs velmo. With no arguments it plays the built-in demo in a window when a
# display is there, and otherwise renders the demo to a video file and says
# where it is. Arguments are passed to velmo as they stand (see `velmo --help`).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh player >&2
# The program, the plug-in, Glide, the platform layer and the textures; no tests.
dir=build/run
echo "run.sh: building into $dir ..." >&2
mkdir -p "$dir"
cmake --preset native -B "$dir" -DVELMO_BUILD_TESTS=OFF -DVELMO_BUILD_BENCH=OFF \
  >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log" >&2; exit 1; }
cmake --build "$dir" -j"$(nproc)" >&2

if [ $# -gt 0 ]; then
  exec "$dir/out/velmo" "$@"
fi
exec bash scripts/run-demo.sh "$dir"
