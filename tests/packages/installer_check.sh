#!/bin/sh
# Makes the Windows installer of a build and runs it under Wine, silently,
# into a scratch player's folder (our test host as the program): it lays the
# files out as the zip does, registers its uninstaller, and the plug-in draws
# from there; the uninstaller leaves the folder as it was. With another
# glide2x.dll there already, a silent install keeps it, and so does the
# uninstaller; so do both the player's own README.txt and LICENSE.txt, and
# a glide2x.ini of the user's.
#   installer_check.sh BUILD_DIR WINE_LOADER
set -eu
# shellcheck source=make_package.sh
. "$(dirname "$0")/make_package.sh"
wine=$2
wineserver=/usr/lib/wine/wineserver  # Debian's; -w waits until the prefix's programs end
unzip -q "$package" -d "$work/unpacked"
(cd "$work"/unpacked/* && find . -type f | sort) >"$work/zip-files"
installer=$(sh "$(dirname "$0")/../../packaging/make_installer.sh" "$1" "$work/installer" 2>"$work/makensis.log") ||
  { cat "$work/makensis.log"; fail "makensis"; }
bits=$(sed -n 's/^!define VELMO_BITS //p' "$1/packaging/installer.nsh")
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmo'
[ "$bits" = 64 ] && key="$key (64-bit)"
uninstaller=Plugins/vis_velmo_uninstall.exe

player=$work/Player
listing() { (cd "$player" && find . | sort && find . -type f -exec md5sum {} + | sort -k 2); }
install_silently() {
  timeout 300 "$wine" "$installer" /S "/D=$(wine_path "$player")" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "the installer failed"; }
  "$wineserver" -w
}
uninstall_silently() {
  # The uninstaller runs on from a copy of itself in the temporary folder.
  timeout 300 "$wine" "$player/$uninstaller" /S >"$work/uninstall.log" 2>&1 ||
    { cat "$work/uninstall.log"; fail "the uninstaller failed"; }
  timeout 300 "$wineserver" -w
  listing | diff "$work/before" - || fail "the uninstaller left the folder otherwise than it was"
  if "$wine" reg query "$key" >/dev/null 2>&1; then fail "the uninstaller left its registry key"; fi
}

# Into a player's folder that has no Glide.
mkdir "$player"
cp "$1/out/velmo_testhost.exe" "$player/"
listing >"$work/before"
install_silently
(cd "$player" && find . -type f ! -name velmo_testhost.exe ! -path "./$uninstaller" | sort) |
  diff "$work/zip-files" - || fail "the installer laid the files out otherwise than the zip"
"$wine" reg query "$key" /v UninstallString >"$work/reg.log" 2>&1 && grep -q "vis_velmo_uninstall.exe" "$work/reg.log" ||
  { cat "$work/reg.log"; fail "the uninstaller is not in Programs and Features"; }
cmp -s "$player/glide2x.ini" "$work"/unpacked/*/glide2x.ini || fail "the installer did not put our glide2x.ini in"
draw_30_frames "$player" "$wine"
rm -f "$player/Plugins/plugin.ini"  # the plug-in's own settings, not the installer's
uninstall_silently

# Into one where another Glide is, and the player's own readme and licence.
echo "another Glide 2" >"$player/glide2x.dll"
echo "the player's own" | tee "$player/README.txt" >"$player/LICENSE.txt"
listing >"$work/before"
install_silently
[ "$(cat "$player/glide2x.dll")" = "another Glide 2" ] || fail "a silent install replaced the Glide that was there"
[ -f "$player/Plugins/vis_velmo.dll" ] || fail "the installer kept the Glide but left out the plug-in"
uninstall_silently

# Into one where the user's own glide2x.ini is: our Glide goes in, the file stays.
rm -f "$player/glide2x.dll" "$player/README.txt" "$player/LICENSE.txt"
echo "[glide2x]" >"$player/glide2x.ini"
listing >"$work/before"
install_silently
[ "$(cat "$player/glide2x.ini")" = "[glide2x]" ] || fail "the installer replaced the user's glide2x.ini"
[ -f "$player/glide2x.dll" ] || fail "the installer left out our Glide"
uninstall_silently
echo "$(basename "$installer"), $(wc -c <"$installer") bytes: silent install as the zip, 30 frames," \
     "uninstall to the folder as it was, with and without another Glide, and with the user's glide2x.ini: ok"
