#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address + undefined sanitizers) in
# build/fuzz and runs each for a bounded time.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS (default 60) is the run time of each target; TARGET names (tdf,
# profile, title, frame) pick a subset. Seeds come from fuzz/<target>/corpus
# (and the real 3DF files in ../shared/testdata/3df when present); what a run
# learns is kept in build/fuzz/corpus/<target> for the next run. Prints the
# executions of every target and their total; exits non-zero when a target
# crashed, hung, leaked or drew a sanitizer report (the reproducer is left in
# build/fuzz/artifacts/).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-60}
shift || true
case $seconds in
  ''|*[!0-9]*) echo "fuzz.sh: SECONDS must be a whole number, got '$seconds'" >&2; exit 2 ;;
esac

builddir=$root/build/fuzz
logdir=$builddir/logs
mkdir -p "$logdir" "$builddir/artifacts"

ignorelist=$root/fuzz/coverage-ignore.txt
# The list's digest rides in the flags so that editing the list rebuilds what it covers.
ignore_digest=$(sha1sum "$ignorelist" | cut -c1-12)
instrument="-fsanitize=fuzzer-no-link -fsanitize-coverage-ignorelist=$ignorelist -DVELMO_COVERAGE_IGNORE=$ignore_digest"
echo "== fuzz: configure $builddir"
if ! cmake -S "$root" -B "$builddir" -G Ninja \
     -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
     -DCMAKE_C_FLAGS="$instrument" -DCMAKE_CXX_FLAGS="$instrument" \
     -DVELMO_SANITIZE=ON -DVELMO_FUZZ=ON \
     -DVELMO_BUILD_TESTS=OFF -DVELMO_BUILD_BENCH=OFF >"$logdir/configure.log" 2>&1; then
  cat "$logdir/configure.log" >&2
  echo "fuzz.sh: configure failed" >&2
  exit 1
fi
echo "== fuzz: build"
build_targets=(velmo_fuzzers)
if [ $# -gt 0 ]; then
  build_targets=()
  for t in "$@"; do build_targets+=("fuzz_$t"); done
fi
# Build-time tools run instrumented too; their exit-time leaks are not ours to judge here.
if ! ASAN_OPTIONS=detect_leaks=0 cmake --build "$builddir" --target "${build_targets[@]}" -j2 >"$logdir/build.log" 2>&1; then
  tail -n 40 "$logdir/build.log" >&2
  echo "fuzz.sh: build failed (full log: $logdir/build.log)" >&2
  exit 1
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$builddir"/out/fuzz_*; do
    [ -x "$bin" ] && targets+=("$(basename "$bin" | sed 's/^fuzz_//')")
  done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz.sh: no fuzz target was built" >&2
  exit 1
fi

# Headless: no message box or toolkit window may wait for a person.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export VELMO_MSGBOX=ok
unset DISPLAY WAYLAND_DISPLAY

status=0
total=0
printf '%-10s %14s %10s  %s\n' target executions exec/s result | tee "$logdir/summary.txt"
for t in "${targets[@]}"; do
  bin=$builddir/out/fuzz_$t
  if [ ! -x "$bin" ]; then
    echo "fuzz.sh: no target '$t'" >&2
    status=1
    continue
  fi
  work=$builddir/corpus/$t
  mkdir -p "$work"
  seeds=()
  [ -d "$root/fuzz/$t/corpus" ] && seeds+=("$root/fuzz/$t/corpus")
  if [ "$t" = tdf ] && [ -d "$root/../shared/testdata/3df" ]; then
    seeds+=("$root/../shared/testdata/3df")
  fi
  extra=()
  [ -f "$root/fuzz/$t/$t.dict" ] && extra+=("-dict=$root/fuzz/$t/$t.dict")
  # Per-target libFuzzer flags (e.g. -max_len), one or more per line.
  [ -f "$root/fuzz/$t/$t.options" ] && read -r -a opts < <(tr '\n' ' ' <"$root/fuzz/$t/$t.options") && extra+=("${opts[@]}")
  echo "== fuzz: $t for ${seconds}s"
  log=$logdir/$t.log
  "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$builddir/artifacts/$t-" "${extra[@]}" \
    "$work" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(grep -E '^stat::number_of_executed_units:' "$log" | tail -n 1 | awk '{print $2}')
  rate=$(grep -E '^stat::average_exec_per_sec:' "$log" | tail -n 1 | awk '{print $2}')
  runs=${runs:-0}
  result=ok
  if [ $rc -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
    result="FAILED (exit $rc, log $log)"
    status=1
    grep -E -m 5 'ERROR:|runtime error:|SUMMARY' "$log" >&2
  fi
  total=$((total + runs))
  printf '%-10s %14s %10s  %s\n' "$t" "$runs" "${rate:-?}" "$result" | tee -a "$logdir/summary.txt"
done
printf '%-10s %14s\n' total "$total" | tee -a "$logdir/summary.txt"
exit $status
