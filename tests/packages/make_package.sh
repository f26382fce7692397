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
