#!/usr/bin/env bash
# Installs the Debian packages the game, its tools and its tests need.
# Only packages that are missing are installed; as a normal user it uses sudo.
# With package names as arguments it installs those instead (see install-bench-deps.sh).
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # the sanitizer build of the tests: clang 19 with its own runtime
  clang-19 libclang-rt-19-dev
  # libraries the game links
  libsdl2-dev
  libsdl2-mixer-dev
  libglew-dev
  libgl-dev
  libglu1-mesa-dev
  libx11-dev
  libfreetype-dev
  libfontconfig-dev
  fonts-liberation
  libimgui-dev
  libstb-dev
  # asset generation (and the JPEG benchmark's references, with TurboJPEG)
  libjpeg62-turbo-dev
  libturbojpeg0-dev
  lame
  # tests: GoogleTest, the reference readers, a headless X server and its tools
  libgtest-dev
  libassimp-dev
  libgl1-mesa-dri
  xvfb
  xauth
  xdotool
  xclip
  x11-utils
  # the capture tool's video export (never a dependency of the game or its package)
  ffmpeg
  # packaging: the menu entry's checker, Debian's package checker, the
  # software centres' metadata checker
  desktop-file-utils
  lintian
  appstream
)

[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
