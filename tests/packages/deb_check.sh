#!/bin/sh
# Makes the Debian package of a build and checks it unpacked in a scratch root
# (dpkg -x, which changes nothing on the machine, even if killed, and takes no
# dpkg lock); what `dpkg -i` would add, the dependencies, is checked against
# apt's view of the archive.
#   deb_check.sh BUILD_DIR
set -eu
# shellcheck source=make_package.sh
. "$(dirname "$0")/make_package.sh"
root=$work/root
dpkg-deb -x "$package" "$root"
desktop-file-validate "$root/usr/share/applications/velmo.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/"*.metainfo.xml >"$work/appstream" 2>&1 ||
  { cat "$work/appstream"; fail "AppStream metainfo"; }
# Debian's checks, with their hints: none may warn, and the hardening and
# stripping that the hints would note are there.
lintian -I --fail-on error,warning "$package" >"$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian"; }
if grep -E ' (hardening-|binary-has-unneeded-section)' "$work/lintian"; then fail "lintian: not hardened or stripped"; fi
hardening-check --nostackprotector --nocfprotection -q "$root/usr/bin/velmo" "$root"/usr/lib/velmo/*.so ||
  fail "hardening-check"
[ "$(gzip -dc "$root/usr/share/man/man1/velmo.1.gz" | grep -c '^\.SS "velmo ')" -eq 5 ] ||
  fail "the manual page has not the five commands"

# Every library the programs load comes from the package or from a package
# its Depends bring in, directly or through theirs: then apt installing it on
# a fresh system brings in enough.
depends=$(dpkg-deb -f "$package" Depends | sed 's/([^)]*)//g; s/[,|]/ /g')
# shellcheck disable=SC2086
apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances $depends >"$work/depends"
grep -v '^ ' "$work/depends" | sed 's/:.*//' | sort -u >"$work/closure"
for elf in "$root/usr/bin/velmo" "$root"/usr/lib/velmo/*.so; do ldd "$elf"; done >"$work/ldd"
if grep 'not found' "$work/ldd"; then fail "libraries not found"; fi
sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p' "$work/ldd" | grep -vF "$root/" | sort -u >"$work/libraries"
# dpkg knows a file by the path it was packaged under, /lib or /usr/lib: ask
# for the name and for the file it leads to, all in one call.
while read -r name; do echo "$name"; readlink -f "$name"; done <"$work/libraries" >"$work/asked"
xargs dpkg -S <"$work/asked" >"$work/holders" 2>/dev/null || true  # not every name is a package's
while read -r name; do
  owner=$(awk -v name="$name" -v file="$(readlink -f "$name")" \
    '$NF == name || $NF == file { sub(/[:,].*/, ""); print; exit }' "$work/holders")
  echo "${owner:-"(no package holds $name)"}"
done <"$work/libraries" | sort -u | comm -23 - "$work/closure" >"$work/missing"
[ ! -s "$work/missing" ] || fail "needed, but not brought in by the Depends: $(tr '\n' ' ' <"$work/missing")"

# One version, project()'s, in the package and in the program, which names its licence.
version=$(dpkg-deb -f "$package" Version)
"$root/usr/bin/velmo" --version >"$work/version"
grep -qx "velmo ${version%-*}" "$work/version" && grep -q "MIT (Expat)" "$work/version" ||
  { cat "$work/version"; fail "velmo --version does not give the package's version ($version) and licence"; }

# The unpacked program at work, on nothing but the package.
env -u DISPLAY HOME="$work/home" VELMO_TRACE_FILE="$work/trace.txt" \
  "$root/usr/bin/velmo" render -q --seconds 2 -o "$work/demo.mp4" || fail "velmo render"
ffprobe -v error -count_frames -of default=noprint_wrappers=1 \
  -show_entries stream=codec_name,width,height,nb_read_frames "$work/demo.mp4" >"$work/probe"
[ "$(grep -cx -e codec_name=h264 -e width=640 -e height=480 -e nb_read_frames=150 -e codec_name=aac \
     "$work/probe")" -eq 5 ] || { cat "$work/probe"; fail "not 2 s of H.264 640x480 at 75 frames/s with AAC"; }
echo "$(basename "$package"), $(wc -c <"$package") bytes: contents, dependencies and a 2 s render: ok"
