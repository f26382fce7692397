#!/usr/bin/env bash
# Installs the Debian packages one part of the project needs, and nothing more:
#   bash scripts/setup.sh player     building and running velmo (scripts/run.sh)
#   bash scripts/setup.sh web        building and serving the web page (scripts/web.sh)
#   bash scripts/setup.sh packages   the player's and the Windows builds' packages (scripts/package.sh)
#   bash scripts/setup.sh tests      all of the above, and what the tests run (scripts/test.sh)
# Idempotent: does nothing when everything is present. It says what it
# installs and how much apt downloads for it.
#
# A stale mirror must not stop it: apt-get update is tried twice, and its
# failure is borne while apt still has package lists. A required package that
# cannot be installed stops it, with apt's own words and the package's name.
# An optional one (below) that cannot be installed gets one line, with the
# reason and what is skipped without it, and set-up goes on.
#
# VELMO_SETUP_OPTIONAL, when set, replaces the optional packages' names (a
# space-separated list; its test points it at a name no archive has).
set -euo pipefail
cd "$(dirname "$0")/.."

# Building velmo: the compiler, the player's libraries, the textures' font,
# the manual page made at build time.
player_packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsndfile1-dev libmpg123-dev libfftw3-dev libpng-dev libgtk-3-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libyuv-dev
  libcli11-dev ffmpeg libeigen3-dev libfreetype-dev fonts-dejavu-core help2man libpulse-dev
)
# The page: emscripten (which brings node), and the build tools it runs on this machine.
web_packages=(
  build-essential cmake ninja-build pkg-config libpng-dev libfreetype-dev libcli11-dev
  libeigen3-dev fonts-dejavu-core emscripten
)
# The .deb and the Windows zips and installers.
package_packages=(
  dpkg-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  libz-mingw-w64-dev nsis
)
# The tests, one line per kind; a new kind of test adds its line here.
test_packages=(
  clang clang-format llvm libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  wine wine64 xvfb xauth x11-utils xdotool imagemagick            # Windows programs on a virtual display
  desktop-file-utils unzip lintian devscripts appstream           # checks of the packages
  frozen-bubble-data                                              # real recordings for calibration
  libosmesa6-dev                                                  # bench/replay's llvmpipe peer
  pulseaudio pulseaudio-utils mpv mpv-mpris dbus-daemon dbus-bin  # live on a private desktop
)
# Optional, each with what is skipped without it. wine32 needs the i386
# index, which is the first to go stale on a mirror.
declare -A optional_reasons=(
  [wine32:i386]="the win32 Wine suites are skipped"
  [chromium]="the browser tests are skipped"
)

apt_get() { apt-get -o DPkg::Lock::Timeout=600 "$@"; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

update_lists() {
  apt_get update -qq && return 0
  echo "setup.sh: apt-get update failed; trying once more" >&2
  sleep 10
  apt_get update -qq && return 0
  if compgen -G "/var/lib/apt/lists/*_Packages*" >/dev/null; then
    echo "setup.sh: apt-get update failed again; going on with the package lists apt already has" >&2
    return 0
  fi
  echo "setup.sh: apt-get update failed and apt has no package lists: nothing can be installed" >&2
  exit 1
}

# "N MB to download" for installing the given packages, from apt's own list
# of the files it would fetch.
download_size() {
  local uris
  uris=$(apt_get install -qq --print-uris --no-install-recommends "$@" 2>/dev/null) || { echo "size unknown"; return; }
  awk '{ bytes += $3; files++ } END { printf "%d packages, %.1f MB to download", files, bytes / 1e6 }' <<<"$uris"
}

install_required() {
  echo "setup.sh: installing $* ($(download_size "$@"))"
  apt_get install -y -qq --no-install-recommends "$@" >/tmp/velmo-setup-apt.log 2>&1 && return 0
  # Name the package apt cannot install, in apt's words: each is asked alone.
  local package named=0
  for package in "$@"; do
    installed "$package" && continue
    if ! apt_get install -s -qq --no-install-recommends "$package" >/tmp/velmo-setup-one.log 2>&1; then
      grep -v '^Inst\|^Conf' /tmp/velmo-setup-one.log >&2 || true
      echo "setup.sh: the required package $package cannot be installed" >&2
      named=1
    fi
  done
  [ $named -eq 1 ] || tail -n 20 /tmp/velmo-setup-apt.log >&2
  echo "setup.sh: apt-get install failed (full log: /tmp/velmo-setup-apt.log)" >&2
  exit 1
}

install_optional() {
  local package=$1 reason
  apt_get install -y -qq --no-install-recommends "$package" >/tmp/velmo-setup-apt.log 2>&1 && return 0
  reason=$(grep -m 1 '^E: ' /tmp/velmo-setup-apt.log || tail -n 1 /tmp/velmo-setup-apt.log)
  echo "setup.sh: optional $package not installed (${reason#E: }); ${optional_reasons[$package]:-what needs it is skipped}"
}

# The browser tests' driver, pinned in tests/web/package-lock.json; it drives
# Debian's chromium and downloads no browser of its own.
install_npm_packages() {
  local folder=tests/web wanted installed
  wanted=$(sed -n 's/.*"playwright-core": "\(.*\)".*/\1/p' "$folder/package.json")
  installed=$(sed -n 's/.*"version": "\(.*\)".*/\1/p' "$folder/node_modules/playwright-core/package.json" 2>/dev/null || true)
  [ "$wanted" = "$installed" ] && return 0
  if ! command -v npm >/dev/null; then
    echo "setup.sh: optional npm packages (tests/web) not installed (no npm); the browser tests are skipped"
    return 0
  fi
  echo "setup.sh: installing the browser tests' npm packages (tests/web)"
  npm ci --prefix "$folder" --no-audit --no-fund >/tmp/velmo-setup-npm.log 2>&1 ||
    echo "setup.sh: optional npm packages (tests/web) not installed ($(grep -m 1 'ERR' /tmp/velmo-setup-npm.log ||
      tail -n 1 /tmp/velmo-setup-npm.log)); the browser tests are skipped"
}

part=${1:-}
case $part in
  player) required=("${player_packages[@]}"); optional_packages=() ;;
  web) required=("${web_packages[@]}"); optional_packages=() ;;
  packages) required=("${player_packages[@]}" "${package_packages[@]}"); optional_packages=() ;;
  tests) required=("${player_packages[@]}" "${web_packages[@]}" "${package_packages[@]}" "${test_packages[@]}")
         optional_packages=("wine32:i386" chromium) ;;
  *) echo "usage: bash scripts/setup.sh player|web|packages|tests" >&2; exit 2 ;;
esac
if [ -n "${VELMO_SETUP_OPTIONAL+set}" ]; then
  read -r -a optional_packages <<<"$VELMO_SETUP_OPTIONAL"
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "setup.sh: run as root (it installs Debian packages)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive

missing=() missing_optional=()
for p in "${required[@]}"; do
  installed "$p" || [[ " ${missing[*]} " == *" $p "* ]] || missing+=("$p")
done
for p in "${optional_packages[@]}"; do installed "$p" || missing_optional+=("$p"); done

# The lists are refreshed for a required package, or for the i386 index the
# first time; a missing optional one alone is tried with the lists there are,
# so that a machine that cannot have it does not go to the mirror on every run.
need_update=0
[ ${#missing[@]} -gt 0 ] && need_update=1
if [[ " ${missing_optional[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
compgen -G "/var/lib/apt/lists/*_Packages*" >/dev/null || need_update=1
if [ $((${#missing[@]} + ${#missing_optional[@]})) -gt 0 ] && [ $need_update -eq 1 ]; then
  update_lists
fi

if [ ${#missing[@]} -gt 0 ]; then
  install_required "${missing[@]}"
fi
for p in "${missing_optional[@]}"; do install_optional "$p"; done
[ "$part" = tests ] && install_npm_packages
if [ $((${#missing[@]} + ${#missing_optional[@]})) -eq 0 ]; then
  echo "setup.sh: all packages for $part present"
fi
