#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing.
# Runs as root on Debian 12; a second run finds everything and does nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
  googletest libgtest-dev
  wine wine32:i386
  # Where the kernel runs no 32-bit code, the tests run a 64-bit build under 64-bit Wine.
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
  xvfb xdotool x11-utils imagemagick fonts-dejavu-core
  nginx-light openssl osslsigncode python3 procps psmisc
  # The skin generator's lossless PNG recompression.
  zopfli optipng
)
# `deps.sh bench`: what `make bench` needs besides: the downloaders it compares the
# program with, and the plot's library for Debian's own python3.
if [ "${1:-}" = bench ]; then
  packages+=(curl aria2 python3-matplotlib)
fi

need=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_arch=1
else
  need_arch=0
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    need+=("$p")
  fi
done

if [ "$need_arch" = 0 ] && [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" != 0 ]; then
  echo "missing packages: ${need[*]}; run this as root to install them" >&2
  exit 1
fi

echo "installing: ${need[*]}"
[ "$need_arch" = 1 ] && dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${need[@]}"
