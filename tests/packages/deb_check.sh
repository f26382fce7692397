#!/bin/sh
# Makes the Debian package of a build and checks it where it unpacks, in a
# scratch root (dpkg -x): nothing on the machine changes, also when the test
# is killed half way, and no dpkg lock is taken while others install. What
# `dpkg -i` would add, the dependencies, is checked against apt's own view of
# the archive instead.
#   deb_check.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d /tmp/velmo-deb-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack could not make the package"; }
deb=$(echo "$work"/packages/velmo_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root"

for file in bin/velmo lib/velmo/vis_velmo.so lib/velmo/libglide2x.so lib/velmo/libvelmo_win32.so \
            lib/velmo/Light.3df lib/velmo/Velmo1.3df lib/velmo/VelmoFont.3df lib/velmo/VelmoLogo.3df \
            share/man/man1/velmo.1.gz share/applications/velmo.desktop \
            share/icons/hicolor/256x256/apps/velmo.png share/doc/velmo/README.md share/doc/velmo/docs/player.md; do
  [ -s "$root/usr/$file" ] || fail "/usr/$file is not in the package"
done
desktop-file-validate "$root/usr/share/applications/velmo.desktop" || fail "desktop entry"
gzip -dc "$root/usr/share/man/man1/velmo.1.gz" >"$work/velmo.1"
for command in play render snapshot live config; do
  grep -q "^\.SS \"velmo $command " "$work/velmo.1" || fail "the manual page has no 'velmo $command'"
done

# Every library the package's programs load resolves inside the package or
# to a package that its Depends bring in, directly or through theirs: what
# apt installs with it on a fresh system is then enough.
depends=$(dpkg-deb -f "$deb" Depends | sed 's/([^)]*)//g; s/[,|]/ /g')
# shellcheck disable=SC2086
apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances $depends >"$work/depends"
grep -v '^ ' "$work/depends" | sed 's/:.*//' | sort -u >"$work/closure"
[ -s "$work/closure" ] || fail "apt-cache knows none of: $depends"
: >"$work/libraries"
for elf in "$root/usr/bin/velmo" "$root"/usr/lib/velmo/*.so; do
  ldd "$elf" >"$work/ldd"
  if grep -q 'not found' "$work/ldd"; then cat "$work/ldd"; fail "$elf: a library is not found"; fi
  if grep -qF "$build" "$work/ldd"; then fail "$elf loads from the build folder"; fi
  sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p' "$work/ldd" | grep -vF "$root/" >>"$work/libraries" || true
done
: >"$work/owners"
# dpkg knows a file by the path it was packaged under, /lib or /usr/lib: ask
# for the name and for the file it leads to, all in one call.
for library in $(sort -u "$work/libraries"); do echo "$library"; readlink -f "$library"; done >"$work/asked"
xargs dpkg -S <"$work/asked" >"$work/holders" 2>/dev/null || true  # some names are not theirs
for library in $(sort -u "$work/libraries"); do
  owner=$(awk -v name="$library" -v file="$(readlink -f "$library")" \
    '$NF == name || $NF == file { sub(/[:,].*/, ""); print; exit }' "$work/holders")
  [ -n "$owner" ] || fail "no package holds $library"
  echo "$owner" >>"$work/owners"
done
missing=$(sort -u "$work/owners" | comm -23 - "$work/closure")
[ -z "$missing" ] || fail "the package needs, but its Depends do not bring in:" $missing

# The installed program at work, on nothing but the package.
env -u DISPLAY HOME="$work/home" VELMO_TRACE_FILE="$work/trace.txt" \
  "$root/usr/bin/velmo" render -q --seconds 2 -o "$work/demo.mp4" || fail "velmo render"
ffprobe -v error -count_frames -of default=noprint_wrappers=1 \
  -show_entries stream=codec_name,width,height,nb_read_frames:format=duration "$work/demo.mp4" >"$work/probe"
for line in codec_name=h264 width=640 height=480 nb_read_frames=150 codec_name=aac; do
  grep -qx "$line" "$work/probe" || { cat "$work/probe"; fail "the video has no $line"; }
done
awk -F= '$1 == "duration" && $2 > 1.9 && $2 < 2.1 { found = 1 } END { exit !found }' "$work/probe" ||
  { cat "$work/probe"; fail "the video does not last 2 s"; }
echo "package $(basename "$deb"), $(wc -c <"$deb") bytes: installed layout, dependencies and a 2 s render: ok"
