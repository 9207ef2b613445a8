#!/bin/sh
# Installs every Debian 12 package that building, running and testing Tindral needs.
# Idempotent; run as root (sudo is used when available otherwise).
set -eu

PACKAGES="
  build-essential cmake pkg-config git ca-certificates
  libsdl2-dev libx11-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libopenal-dev libopenal1 libvorbis-dev libogg-dev
  libpng-dev libcurl4-openssl-dev libfreetype-dev fonts-dejavu-core
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils x11-apps imagemagick openbox wmctrl
  sox python3
  mingw-w64 nsis nsis-pluginapi wine wine64
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  # shellcheck disable=SC2086
  $SUDO apt-get install -y -q --no-install-recommends $missing
fi
