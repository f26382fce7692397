#!/usr/bin/env bash
# The plug-in's own stream of Glide calls (recorded once by the Linux build)
# replayed by libglide2x.so and by the 64-bit glide2x.dll under wine64 (and
# the 32-bit one under wine, where this machine runs 32-bit programs), in
# one run: frames per second for each kernel level and thread count, with
# the DLL's ratio to the Linux library, then the processor time per frame
# (ms, every thread's), which moves less with the machine's load. Each
# figure is a fresh process, the best of --runs passes over every frame.
#
#   bench/replay/windows_side_by_side.sh [--runs=3] [--frames=300] [--scale=1]
#                                        [--kernels="portable sse2 avx2 avx512"] [--threads="1 2"]
#
# Needs build/native (replay_bench, glide_replay) and build/win64
# (glide_replay.exe); build/win32 is used when present.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
runs=3 frames=300 scale=1 kernels="portable sse2 avx2 avx512" threads="1 2"
for arg in "$@"; do
  case $arg in
    --runs=*) runs=${arg#*=} ;;
    --frames=*) frames=${arg#*=} ;;
    --scale=*) scale=${arg#*=} ;;
    --kernels=*) kernels=${arg#*=} ;;
    --threads=*) threads=${arg#*=} ;;
    *) echo "usage: $0 [--runs=N] [--frames=N] [--scale=N] [--kernels=\"...\"] [--threads=\"...\"]" >&2; exit 2 ;;
  esac
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stream=$work/plugin.stream
build/native/out/replay_bench --frames="$frames" --save="$stream"
windowsStream="Z:${stream//\//\\}"

native() {
  VELMO_GLIDE_KERNEL=$1 build/native/out/glide_replay "$stream" build/native/out \
    --threads="$2" --scale="$scale" --runs="$runs"
}
# $1: build folder, $2: Wine loader, $3: prefix; then kernel, threads.
windows() {
  (cd "$1/out" && WINEPREFIX=$3 WINEDEBUG=-all VELMO_GLIDE_WINDOW=0 VELMO_GLIDE_KERNEL=$4 \
    "$2" glide_replay.exe "$windowsStream" . --threads="$5" --scale="$scale" --runs="$runs" \
    2>/dev/null | tr -d '\r')
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b + 0 <= 0) print "-"; else printf "%.2f", a / b }'; }

win64=build/win64 win64prefix=$root/build/wineprefix64
win32=build/win32 win32prefix=${WINEPREFIX:-$root/build/wineprefix}
# 32-bit Wine starts its 64-bit half where the kernel runs no 32-bit program:
# ask the 32-bit replayer itself for its usage line (it exits 2 after it).
have32=no
if [ -f $win32/out/glide_replay.exe ]; then
  said=$(cd $win32/out && WINEPREFIX=$win32prefix WINEDEBUG=-all wine glide_replay.exe 2>&1 || true)
  [[ $said == *usage* ]] && have32=yes
fi

echo "frames/s, best of $runs runs over $frames frames at ${scale}x; $(nproc) processors"
[ $have32 = yes ] || echo "(win32: no 32-bit program runs here, or build/win32 has no glide_replay.exe)"
row() { printf '%-9s %7s %10s %10s %7s %10s %7s\n' "$@"; }
row kernel threads native win64 ratio win32 ratio
cpu=""
for kernel in $kernels; do
  for t in $threads; do
    read -r n nc <<<"$(native "$kernel" "$t")"
    read -r w wc <<<"$(windows $win64 /usr/lib/wine/wine64 "$win64prefix" "$kernel" "$t" || true)"
    w32="" w32c=""
    if [ $have32 = yes ]; then read -r w32 w32c <<<"$(windows $win32 wine "$win32prefix" "$kernel" "$t" || true)"; fi
    row "$kernel" "$t" "$n" "${w:--}" "$(ratio "$w" "$n")" "${w32:--}" "$(ratio "$w32" "$n")"
    cpu+=$(row "$kernel" "$t" "$nc" "${wc:--}" "$(ratio "$nc" "$wc")" "${w32c:--}" "$(ratio "$nc" "$w32c")")$'\n'
  done
done
echo
echo "processor time per frame (ms, all threads; ratio: native / Windows)"
row kernel threads native win64 ratio win32 ratio
printf '%s' "$cpu"
