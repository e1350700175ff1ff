#!/usr/bin/env bash
# Installs, unattended, whatever a fresh Debian 12 machine lacks to build and test
# the emulator in both trees. Does nothing when everything is already there.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

packages=(cmake g++ ninja-build googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
          wine wine32:i386 xvfb x11-utils xdotool imagemagick pasmo cbios
          libgl1-mesa-dri:i386 libgl1:i386 libglx-mesa0:i386 libxcomposite1:i386 ccache
          clang libclang-rt-14-dev)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do have_pkg "$p" || need+=("$p"); done

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends -o Dpkg::Options::=--force-confdef \
  -o Dpkg::Options::=--force-confold "${need[@]}" >/dev/null
