#!/usr/bin/env bash
# The main job: installs what is needed, builds the native configuration and
# runs velmo. With no arguments it plays the built-in demo in a window when a
# display is there, and otherwise renders the demo to a video file and says
# where it is. Arguments are passed to velmo as they stand (see `velmo --help`).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh >&2
echo "run.sh: building (native preset)..." >&2
cmake --preset native >build-configure.log 2>&1 || { cat build-configure.log >&2; exit 1; }
rm -f build-configure.log
cmake --build --preset native -j"$(nproc)" --target velmo >&2

if [ $# -gt 0 ]; then
  exec build/native/out/velmo "$@"
fi
exec bash scripts/run-demo.sh build/native
