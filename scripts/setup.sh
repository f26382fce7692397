#!/usr/bin/env bash
# Installs every Debian package the builds, tests and the player need.
# Idempotent: safe to run again; does nothing when everything is present.
set -euo pipefail

packages=(
  # native build and tests
  build-essential cmake ninja-build pkg-config clang llvm libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # win32 cross build and its tests under Wine
  g++-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool imagemagick
  # player and platform layer
  libsdl2-dev libsndfile1-dev libmpg123-dev libfftw3-dev libpng-dev libgtk-3-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libcli11-dev ffmpeg libeigen3-dev
  # texture generation at build time (font rendering)
  libfreetype-dev fonts-dejavu-core
  # real recordings for calibration tests
  frozen-bubble-data
)

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
echo "setup.sh: done"
