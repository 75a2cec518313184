#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need (only the missing ones),
# then configures and builds into build/ (or $BUILD_DIR): everything, or only the targets
# that $BUILD_TARGETS names. CMAKE_EXTRA_ARGS is passed to cmake; CMAKE_BUILD_PARALLEL_LEVEL
# sets the number of build jobs (default: every core).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev python3
  libqt6printsupport6  # printing the record table, to paper or PDF
  libqt6svg6  # the SVG image plug-in: the icon's PNGs are rendered from it, desktops show it
  qt6-image-formats-plugins  # TIFF, the image data form of the image transformer
  libssl-dev
  shared-mime-info  # file types: a record's file address never opens a program
  libicu-dev  # collation: the localised sort orders of the record table
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  clang-format  # the format check in CI
  xvfb xauth fonts-dejavu-core
  xdotool openbox xclip x11-apps  # the end-to-end suite: input, a window manager, clipboard, xwd
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir=${BUILD_DIR:-build}
build_type=${BUILD_TYPE:-RelWithDebInfo}
shared_dir=$(cd .. && pwd)/shared
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
  -DQV_FIXTURES_DIR="$shared_dir/fixtures" ${CMAKE_EXTRA_ARGS:-}
# shellcheck disable=SC2086  # the targets are words
cmake --build "$build_dir" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
