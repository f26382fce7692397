#!/usr/bin/env bash
# Builds the web page (the web preset: the plug-in, our Glide and the
# platform layer's browser backend in WebAssembly) into build/web/ and serves
# it on http://127.0.0.1:8080. With --build-only it only builds. Any static
# web server can serve build/web/ instead.
set -euo pipefail
cd "$(dirname "$0")/.."

build_only=0
for argument in "$@"; do
  case $argument in
    --build-only) build_only=1 ;;
    *) echo "usage: bash scripts/web.sh [--build-only]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh web >&2
mkdir -p build
echo "web.sh: building the page into build/web ..." >&2
cmake --preset web >build/web-configure.log 2>&1 || { cat build/web-configure.log >&2; exit 1; }
cmake --build --preset web -j"$(nproc)" >&2

if [ $build_only -eq 1 ]; then
  echo "web.sh: the page is in build/web/" >&2
  exit 0
fi
echo "web.sh: open http://127.0.0.1:8080/ in a browser (http://127.0.0.1:8080/?demo starts the demo at once)" >&2
exec node web/serve.mjs build/web 8080
