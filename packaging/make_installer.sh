#!/bin/sh
# Makes the Windows installer of a win32 or win64 build with NSIS
# (installer.nsi) from the same install rules as the zip, stripped as the
# zip's files are, and prints its path:
#   make_installer.sh BUILD_DIR OUT_DIR   ->  OUT_DIR/velmo-VERSION-winBITS-setup.exe
set -eu
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
stage=$(mktemp -d /tmp/velmo-installer-XXXXXX)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage" --strip >"$stage.log" 2>&1 || { cat "$stage.log"; exit 1; }
rm -f "$stage.log"
version=$(sed -n 's/^!define VELMO_VERSION //p' "$build/packaging/installer.nsh")
bits=$(sed -n 's/^!define VELMO_BITS //p' "$build/packaging/installer.nsh")
installer=$out/velmo-$version-win$bits-setup.exe
makensis -V2 -DBUILD="$build" -DSTAGE="$stage" -DOUTFILE="$installer" "$(dirname "$0")/installer.nsi" >&2
echo "$installer"
