#!/usr/bin/env bash
# Builds every configuration and runs every test suite:
#   native    Linux x86-64 (gcc)
#   sanitize  Linux x86-64 with AddressSanitizer + UndefinedBehaviorSanitizer (clang)
#   win32     the 32-bit Windows build, its tests run under Wine on a virtual X display
#   web       the WebAssembly page, its tests in headless Chromium (skipped, saying
#             why, without the browser or its npm driver)
#   fuzz      a short, bounded libFuzzer pass over every fuzz target
# Installs what it needs first (scripts/setup.sh). Run as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

jobs=$(nproc)
logdir=$root/build/test-logs
mkdir -p "$logdir"

build() {
  echo "== build: $1"
  cmake --preset "$1" >"$logdir/configure-$1.log" 2>&1 || { cat "$logdir/configure-$1.log"; exit 1; }
  cmake --build --preset "$1" -j"$jobs"
}

# Tests never see the caller's display: those that need one start their own.
run_ctest() {
  local preset=$1; shift
  echo "== test: $preset"
  env -u DISPLAY "$@" ctest --preset "$preset" -j"$jobs" --timeout 900 2>&1 | tee "$logdir/ctest-$preset.log"
}

build native
build sanitize
build win32
# The web page (emscripten); its tests run in headless Chromium.
build web

status=0
run_ctest native || status=1
run_ctest sanitize || status=1
run_ctest web || status=1

# Wine: one prefix for the whole run, initialised once on a virtual display.
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== wine: initialising prefix $WINEPREFIX"
  xvfb-run -a wineboot --init >/dev/null 2>&1 || true
fi
# A program can start while the previous one's wineserver is shutting down
# ("wine client error ... Connection reset by peer"): a test that fails that
# way is run once more.
echo "== test: win32 (under Wine, Xvfb)"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win32 --timeout 900 --repeat until-pass:2 2>&1 \
  | tee "$logdir/ctest-win32.log" || status=1

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzz: bounded pass"
  scripts/fuzz.sh 60 2>&1 | tee "$logdir/fuzz.log" || status=1
fi

# One closing line over all suites.
passed=0; failed=0
for log in "$logdir"/ctest-*.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  [ -n "$line" ] || { echo "no ctest summary in $log"; status=1; continue; }
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad)); failed=$((failed + bad))
done
echo "total: $passed passed, $failed failed"
exit $status
