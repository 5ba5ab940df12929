#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
#   deps.sh [bench|skin]
# Runs as root on Debian 12. Whether the tests can use 32-bit Wine is decided first
# (runs_32bit.sh): only where this kernel runs 32-bit code is the i386 architecture
# added and wine32 asked for; elsewhere no architecture is added or removed.
# With everything present it calls no apt at all; as another user it names what is
# missing and the command that installs it.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  build-essential cmake ninja-build pkg-config
  g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
  googletest libgtest-dev
  # Where the kernel runs no 32-bit code, the tests run a 64-bit build under 64-bit Wine.
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
  xvfb xdotool x11-utils imagemagick fonts-dejavu-core
  nginx-light openssl osslsigncode python3 procps psmisc iproute2 util-linux
  # A company proxy for the end-to-end tests.
  squid
)
case "${1:-}" in
  # What `make bench` needs besides: the downloaders it compares the program with, and
  # the plot's library for Debian's own python3.
  bench) packages+=(curl aria2 python3-matplotlib) ;;
  # The skin generator's drawing and its lossless PNG recompression.
  skin) packages+=(imagemagick fonts-dejavu-core zopfli optipng) ;;
esac

add_i386=0
if [ "$(bash runs_32bit.sh)" = yes ]; then
  packages+=(wine32:i386)
  dpkg --print-foreign-architectures | grep -qx i386 || add_i386=1
fi

need=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    need+=("$p")
  fi
done
if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" != 0 ]; then
  echo "missing packages: ${need[*]}" >&2
  cmd="apt-get install ${need[*]}"
  [ "$add_i386" = 1 ] && cmd="dpkg --add-architecture i386 && apt-get update && $cmd"
  echo "install them as root with: $cmd" >&2
  exit 1
fi

echo "installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT
install() {
  apt-get install -y -q --no-install-recommends "${need[@]}" 2>&1 | tee "$log"
  return "${PIPESTATUS[0]}"
}
if [ "$add_i386" = 1 ]; then
  dpkg --add-architecture i386
  apt-get update -q || true
fi
# An index that is out of date, or one that fails to download (a mirror in sync), is
# no reason to stop: the install is tried first, then once more after an update whose
# errors are tolerated.
if ! install; then
  apt-get update -q || true
  if ! install; then
    echo "deps.sh: could not install: $(grep '^E:' "$log" | tail -1)" >&2
    exit 1
  fi
fi
