#!/usr/bin/env bash
# Installs every Debian package the builds, tests and the player need.
# Idempotent: safe to run again; does nothing when everything is present.
set -euo pipefail

packages=(
  # native build and tests
  build-essential cmake ninja-build pkg-config clang clang-format llvm libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # win32 and win64 cross builds and their tests under Wine (wine64 runs where
  # the kernel runs no 32-bit program)
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  libz-mingw-w64-dev wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool imagemagick
  # player and platform layer
  libsdl2-dev libsndfile1-dev libmpg123-dev libfftw3-dev libpng-dev libgtk-3-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libyuv-dev
  libcli11-dev ffmpeg libeigen3-dev
  # texture generation at build time (font rendering)
  libfreetype-dev fonts-dejavu-core
  # packages: the .deb (CPack's dependency list, the manual page) and the
  # checks of the .deb and the Windows zip
  dpkg-dev help2man desktop-file-utils unzip
  # real recordings for calibration tests
  frozen-bubble-data
  # Mesa's off-screen llvmpipe: the peer of bench/replay (no test needs it)
  libosmesa6-dev
  # the web page (emscripten) and its tests in a real browser
  emscripten chromium
)

# The browser tests' driver, pinned in tests/web/package-lock.json; it
# drives Debian's chromium and downloads no browser of its own.
install_npm_packages() {
  local folder
  folder="$(dirname "$0")/../tests/web"
  local wanted installed
  wanted=$(sed -n 's/.*"playwright-core": "\(.*\)".*/\1/p' "$folder/package.json")
  installed=$(sed -n 's/.*"version": "\(.*\)".*/\1/p' "$folder/node_modules/playwright-core/package.json" 2>/dev/null || true)
  [ "$wanted" = "$installed" ] && return 0
  echo "setup.sh: installing the browser tests' npm packages (tests/web)"
  npm ci --prefix "$folder" --no-audit --no-fund >/tmp/velmo-setup-npm.log 2>&1 || {
    tail -n 20 /tmp/velmo-setup-npm.log >&2
    echo "setup.sh: npm ci failed; the browser tests will be skipped" >&2
  }
}

if [ "$(id -u)" -ne 0 ]; then
  echo "setup.sh: run as root (it installs Debian packages)" >&2
  exit 1
fi

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup.sh: all packages present"
  install_npm_packages
  exit 0
fi

echo "setup.sh: installing ${#missing[@]} packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/tmp/velmo-setup-apt.log 2>&1 || {
  tail -n 30 /tmp/velmo-setup-apt.log >&2
  echo "setup.sh: apt-get install failed (full log: /tmp/velmo-setup-apt.log)" >&2
  exit 1
}
install_npm_packages
echo "setup.sh: done"
