# What the package checks start with, sourced with the build folder as $1: a
# scratch folder ($work) removed at the end, fail(), and the build's package
# made in it by CPack ($package).
work=$(mktemp -d /tmp/velmo-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
cpack --config "$1/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack could not make the package"; }
# shellcheck disable=SC2034  # read by the check that sources this
package=$(find "$work/packages" -maxdepth 1 -type f -name "velmo*")  # the one .deb or .zip

# draw_30_frames PLAYER_FOLDER WINE_LOADER: our test host, as the player's
# program in that folder, runs the plug-in from its Plugins folder under Wine.
draw_30_frames() {
  # Not from the program's folder: Windows also looks for DLLs in the current one.
  if ! (cd "$work" && timeout 300 "$2" "$1/velmo_testhost.exe" --frames 30 \
          --dll "$(wine_path "$1/Plugins/vis_velmo.dll")") >"$work/run.log" 2>&1 ||
     ! grep -q "rendered 30 frames, quit done" "$work/run.log"; then
    cat "$work/run.log"; fail "the plug-in did not draw from the player's folder"
  fi
}
wine_path() { echo "Z:$1" | sed 's|/|\\|g'; }
