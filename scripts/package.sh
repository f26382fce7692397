#!/usr/bin/env bash
# Makes the packages users install, with CPack from the install rules:
#   deb   build/packages/velmo_VERSION_amd64.deb         (the native build)
#   zip   build/packages/velmo-VERSION-win32.zip, -win64.zip (the two Windows builds)
# Each is built first in its preset's folder (build/native, build/win32,
# build/win64), only what the package holds; after scripts/test.sh nothing
# is left to build.
#   bash scripts/package.sh deb|zip...
set -euo pipefail
cd "$(dirname "$0")/.."

presets=()
for kind in "$@"; do
  case $kind in
    deb) presets+=(native) ;;
    zip) presets+=(win32 win64) ;;
    *) presets=(); break ;;
  esac
done
if [ ${#presets[@]} -eq 0 ]; then
  echo "usage: bash scripts/package.sh deb|zip..." >&2
  exit 2
fi

bash scripts/setup.sh >&2
mkdir -p build/packages
for preset in "${presets[@]}"; do
  echo "package.sh: building $preset ..." >&2
  cmake --preset "$preset" >"build/packages/configure-$preset.log" 2>&1 ||
    { cat "build/packages/configure-$preset.log" >&2; exit 1; }
  if [ "$preset" = native ]; then targets=(velmo velmo_desktop_files); else targets=(vis_velmo velmo_textures); fi
  cmake --build --preset "$preset" -j"$(nproc)" --target "${targets[@]}" >&2
  cpack --config "build/$preset/CPackConfig.cmake" -B build/packages >"build/packages/cpack-$preset.log" 2>&1 ||
    { cat "build/packages/cpack-$preset.log" >&2; exit 1; }
  sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "build/packages/cpack-$preset.log"
done
