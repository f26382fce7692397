#!/bin/sh
# Makes the Windows zip of a build, puts its contents into a player's folder
# as its readme says (our test host as the program, a Plugins folder under
# it) and runs the plug-in from there under Wine: Windows must find
# glide2x.dll beside the program, and the plug-in its textures beside itself.
#   zip_check.sh BUILD_DIR WINE_LOADER
set -eu
# shellcheck source=make_package.sh
. "$(dirname "$0")/make_package.sh"
unzip -q "$package" -d "$work/unpacked"
unpacked=$(echo "$work"/unpacked/*)  # the zip's one folder
(cd "$unpacked" && find . -type f | sort) >"$work/files"
printf './%s\n' Plugins/Light.3df Plugins/Velmo1.3df Plugins/VelmoFont.3df Plugins/VelmoLogo.3df \
  Plugins/vis_velmo.dll Velmo-LICENSE.txt Velmo-NOTICES.txt Velmo-README.txt glide2x.dll glide2x.ini | sort | diff - "$work/files" ||
  fail "the zip holds other files"
# Our Glide's settings as shipped are its defaults: every setting a comment.
[ "$(grep -v '^;' "$unpacked/glide2x.ini" | tr -d '\r' | grep -v '^$')" = "[glide2x]" ] ||
  fail "glide2x.ini sets something: it should only name its section"

player=$work/Player
mkdir "$player"
cp "$1/out/velmo_testhost.exe" "$player/"
cp -R "$unpacked/." "$player/"
draw_30_frames "$player" "$2"
echo "$(basename "$package"), $(wc -c <"$package") bytes: contents and 30 frames from a player's folder: ok"
