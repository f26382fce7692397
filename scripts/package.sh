#!/usr/bin/env bash
# Makes the packages users install, with CPack from the install rules:
#   deb   build/packages/velmo_VERSION_amd64.deb         (the native build)
#         and velmo-VERSION-demo.png, the screenshot its AppStream file names,
#         for the project's site
#   zip   build/packages/velmo-VERSION-win32.zip, -win64.zip (the two Windows builds)
#   exe   build/packages/velmo-VERSION-win32-setup.exe, -win64-setup.exe: their
#         installers (NSIS, packaging/installer.nsi)
# Each is built first in its preset's folder (build/native, build/win32,
# build/win64), only what the package holds; after scripts/test.sh nothing
# is left to build.
#   bash scripts/package.sh deb|zip|exe...
set -euo pipefail
cd "$(dirname "$0")/.."

presets=() installers=0 archives=0
for kind in "$@"; do
  case $kind in
    deb) presets+=(native) ;;
    zip) presets+=(win32 win64); archives=1 ;;
    exe) presets+=(win32 win64); installers=1 ;;
    *) presets=(); break ;;
  esac
done
if [ ${#presets[@]} -eq 0 ]; then
  echo "usage: bash scripts/package.sh deb|zip|exe..." >&2
  exit 2
fi
mapfile -t presets < <(printf '%s\n' "${presets[@]}" | awk '!seen[$0]++')

bash scripts/setup.sh packages >&2
mkdir -p build/packages
for preset in "${presets[@]}"; do
  echo "package.sh: building $preset ..." >&2
  cmake --preset "$preset" >"build/packages/configure-$preset.log" 2>&1 ||
    { cat "build/packages/configure-$preset.log" >&2; exit 1; }
  if [ "$preset" = native ]; then targets=(velmo velmo_desktop_files); else targets=(vis_velmo velmo_textures); fi
  cmake --build --preset "$preset" -j"$(nproc)" --target "${targets[@]}" >&2
  if [ "$preset" != native ] && [ $installers -eq 1 ]; then
    sh packaging/make_installer.sh "build/$preset" build/packages 2>"build/packages/makensis-$preset.log" ||
      { cat "build/packages/makensis-$preset.log" >&2; exit 1; }
    [ $archives -eq 1 ] || continue
  fi
  cpack --config "build/$preset/CPackConfig.cmake" -B build/packages >"build/packages/cpack-$preset.log" 2>&1 ||
    { cat "build/packages/cpack-$preset.log" >&2; exit 1; }
  sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "build/packages/cpack-$preset.log"
  if [ "$preset" = native ]; then
    version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' build/native/CPackConfig.cmake)
    cp build/native/packaging/icon-frame.png "build/packages/velmo-$version-demo.png"
    echo "$(pwd)/build/packages/velmo-$version-demo.png"
  fi
done
