#!/bin/sh
# Installs the Debian 12 packages that Tindral needs. Idempotent; run as root (sudo is used
# when available otherwise).
#
#   setup.sh play   what building, packaging and playing the game need
#   setup.sh [all]  everything: also the tests' tools, the plug-in's Windows tool chain,
#                   the package checkers and the web service's libraries
set -eu

PLAY="
  build-essential cmake pkg-config ca-certificates file
  libsdl2-dev libx11-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libopenal-dev libopenal1 libvorbis-dev libogg-dev
  libpng-dev libcurl4-openssl-dev libfreetype-dev fonts-dejavu-core
"

ALL="$PLAY
  git
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils x11-apps imagemagick openbox wmctrl
  sox python3 strace
  mingw-w64 nsis nsis-pluginapi wine wine64
  libcpp-httplib-dev libsqlite3-dev libpqxx-dev postgresql chromium
  lintian desktop-file-utils appstream librsvg2-bin systemd
"

case "${1:-all}" in
  play) PACKAGES=$PLAY ;;
  all) PACKAGES=$ALL ;;
  *) echo "usage: setup.sh [play|all]" >&2; exit 2 ;;
esac

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  # Through env, since sudo does not pass the caller's environment on.
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
  # shellcheck disable=SC2086
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
