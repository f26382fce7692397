#!/usr/bin/env bash
# Builds every configuration and runs every test suite:
#   native    Linux x86-64 (gcc)
#   sanitize  Linux x86-64 with AddressSanitizer + UndefinedBehaviorSanitizer (clang)
#   tsan      the Glide, plug-in and render pipeline suites with ThreadSanitizer (clang)
#   win32     the 32-bit Windows build: its checks that run nothing (abi.*) everywhere;
#             its programs (wine.*) under Wine on a virtual X display where this machine
#             runs 32-bit programs, and counted as skipped, with the reason, where not
#   win64     the 64-bit Windows build, its programs under wine64 on a virtual X display
#   web       the WebAssembly page, its tests in headless Chromium; without the browser
#             or its npm driver they are counted as skipped, and the reason is given
#   fuzz      a short, bounded libFuzzer pass over every fuzz target
#   format    the sources against .clang-format (scripts/format.sh --check), one check
# The native and Windows suites include the checks of the packages made from
# their builds (tests/packages: the .deb, the Windows zips).
# Ends with one line over all of them: "total: N passed, N failed, N skipped".
# Installs what it needs first (scripts/setup.sh). Run as root on Debian 12.
#
# Whether 32-bit programs run is found by running one: VELMO_I386_PROBE (default
# 32-bit Wine's loader) with --version; the skip line tells a Wine that is not
# installed from a kernel that runs no 32-bit program.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

jobs=$(nproc)
logdir=$root/build/test-logs
mkdir -p "$logdir"
rm -f "$logdir"/ctest-*.log "$logdir"/fuzz.log "$logdir"/format.log "$logdir"/skipped-*.txt

bash scripts/setup.sh tests | tee "$logdir/setup.log"
# Why set-up could not install an optional part, in apt's or npm's words, for
# the line that skips the suites that need it.
setup_reason() {
  awk -v head="setup.sh: optional $1 not installed (" 'index($0, head) == 1 {
    reason = substr($0, length(head) + 1); sub(/\); [^;]*$/, "", reason)
    print " (set-up: " reason ")"; exit }' "$logdir/setup.log"
}

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

# A Wine suite, one program at a time, on a virtual display, in its own prefix,
# which is initialised once. A program can start while the previous one's
# wineserver is shutting down ("wine client error ... Connection reset by
# peer"): a test that fails that way is run once more.
run_wine_ctest() {
  local preset=$1 prefix=$2 loader=$3
  if [ ! -f "$prefix/system.reg" ]; then
    echo "== wine: initialising prefix $prefix"
    # Until the prefix's programs have ended, while their display lives: a
    # desktop process left on a display that is gone made the first test
    # to show a window die of an X error (BadWindow on X_UnmapWindow).
    WINEPREFIX=$prefix sh tests/support/on_own_display.sh \
      sh -c '"$0" wineboot --init; timeout 300 /usr/lib/wine/wineserver -w' "$loader" >/dev/null 2>&1 || true
  fi
  echo "== test: $preset (under $(basename "$loader"), Xvfb)"
  WINEPREFIX=$prefix sh tests/support/on_own_display.sh -s "-screen 0 1280x1024x24" \
    ctest --preset "$preset" --timeout 900 --repeat until-pass:2 2>&1 | tee "$logdir/ctest-$preset.log"
}

status=0
echo "== format"
bash scripts/format.sh --check 2>&1 | tee "$logdir/format.log" || status=1

build native
build sanitize
build tsan
build win32
build win64
build web

run_ctest native || status=1
run_ctest sanitize || status=1
run_ctest tsan || status=1

# The browser tests skip themselves (exit 77) when Chromium or its driver is
# missing; ctest shows no reason for a skip, so it is said here.
web_missing=
chromium=${VELMO_CHROMIUM:-/usr/bin/chromium}  # as tests/web/support.mjs reads it
[ -x "$chromium" ] || web_missing="no Chromium at $chromium$(setup_reason chromium)"
[ -d tests/web/node_modules/playwright-core ] ||
  web_missing="${web_missing:+$web_missing; }no playwright-core in tests/web/node_modules$(setup_reason "npm packages (tests/web)")"
if [ -n "$web_missing" ]; then
  echo "== web: the browser tests are skipped: $web_missing (scripts/setup.sh installs both)"
fi
run_ctest web || status=1

export WINEDEBUG=-all
probe=${VELMO_I386_PROBE:-/usr/lib/wine/wine}
# Through bash, which reports a binary it cannot execute as such (a plain exec
# would hand it to sh as a script).
if probe_output=$(timeout 120 bash -c '"$0" --version' "$probe" 2>&1); then
  echo "== 32-bit programs run here ($probe --version: $probe_output)"
  run_wine_ctest win32 "${WINEPREFIX:-$root/build/wineprefix}" wine || status=1
else
  probe_status=$?
  said=$(head -n 1 <<<"$probe_output")
  if [ ! -e "$probe" ]; then
    cause="no 32-bit Wine is installed (no $probe)$(setup_reason wine32:i386)"
  elif [[ $said == *"Exec format error"* ]]; then
    cause="this machine runs no 32-bit program ($probe: $said)"
  else
    cause="32-bit Wine does not start ($probe --version ended with status $probe_status: $said)"
  fi
  echo "== win32: Wine suites skipped: $cause"
  # What needs no Wine still runs; the rest is counted as skipped.
  echo "== test: win32 (no Wine: abi checks only)"
  ctest --preset win32 -LE wine --timeout 900 2>&1 | tee "$logdir/ctest-win32.log" || status=1
  ctest --preset win32 -N -L wine | sed -n 's/^Total Tests: //p' >"$logdir/skipped-win32.txt"
fi
run_wine_ctest win64 "$root/build/wineprefix64" /usr/lib/wine/wine64 || status=1

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzz: bounded pass"
  scripts/fuzz.sh 60 2>&1 | tee "$logdir/fuzz.log" || status=1
fi

# One closing line over all suites. ctest counts a skipped test among those
# that did not fail; here it is a skip.
passed=0; failed=0; skipped=0
for log in "$logdir"/ctest-*.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -z "$line" ]; then
    echo "no ctest summary in $log"
    status=1; failed=$((failed + 1)); continue
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  skip=$(grep -cE '^\s*[0-9]+ - .* \(Skipped\)$' "$log" || true)
  passed=$((passed + total - bad - skip)); failed=$((failed + bad)); skipped=$((skipped + skip))
done
for file in "$logdir"/skipped-*.txt; do
  [ -f "$file" ] && skipped=$((skipped + $(cat "$file")))
done
# fuzz.sh prints one line per target: name, executions, exec/s, ok or FAILED.
if [ -f "$logdir/fuzz.log" ]; then
  ok=$(grep -cE '^[a-z0-9_]+ +[0-9]+ +[0-9.?]+ +ok$' "$logdir/fuzz.log" || true)
  bad=$(grep -cE '^[a-z0-9_]+ +[0-9]+ +[0-9.?]+ +FAILED' "$logdir/fuzz.log" || true)
  if [ $((ok + bad)) -eq 0 ]; then bad=1; fi  # it failed before running a target
  passed=$((passed + ok)); failed=$((failed + bad))
fi
# The format check counts as one test.
if grep -q 'files follow .clang-format' "$logdir/format.log"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
echo "total: $passed passed, $failed failed, $skipped skipped"
exit $status
