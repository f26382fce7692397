#!/bin/sh
# Installs the build into a fresh prefix and runs the installed program from
# there: the layout users get, and a snapshot drawn with nothing but it.
#   install_check.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d /tmp/velmo-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/velmo lib/velmo/vis_velmo.so lib/velmo/libglide2x.so lib/velmo/libvelmo_win32.so \
            lib/velmo/Light.3df lib/velmo/Velmo1.3df lib/velmo/VelmoFont.3df lib/velmo/VelmoLogo.3df; do
  [ -e "$prefix/$file" ] || { echo "missing after install: $file"; exit 1; }
done
# No run path, in the build or installed, has an empty entry: it would
# search the current folder for libraries. Installed ones name no build folder.
for file in "$build/out/velmo" "$build/out/vis_velmo.so" "$prefix/bin/velmo" "$prefix/lib/velmo/vis_velmo.so"; do
  if readelf -d "$file" | grep -E 'R(UN)?PATH' | grep -qE '\[:|::|:\]'; then echo "empty run path entry in $file"; exit 1; fi
done
for file in "$prefix/bin/velmo" "$prefix/lib/velmo/"*.so; do
  if readelf -d "$file" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then echo "$file: run path names $build"; exit 1; fi
done
# Nothing may still point into the build folder.
if ldd "$prefix/bin/velmo" | grep -q "$build"; then echo "velmo links into the build folder"; exit 1; fi
HOME=$prefix env -u DISPLAY "$prefix/bin/velmo" snapshot --at 0.5 -o "$prefix/snap.png"
[ -s "$prefix/snap.png" ] || { echo "no snapshot written"; exit 1; }
echo "installed layout and snapshot: ok"
