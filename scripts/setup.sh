#!/bin/sh
# Installs every Debian package the build, the tests and the benchmarks need.
# Idempotent; run as root (or with sudo available) on Debian 12.
set -e

PACKAGES="build-essential cmake ninja-build pkg-config git file clang clang-format
libtinyxml2-dev libjpeg-dev libfreetype-dev libpng-dev libgif-dev libsdl2-dev
libgtest-dev libgmock-dev googletest libbenchmark-dev libyuv-dev
ffmpeg libjpeg-turbo-progs libimage-exiftool-perl valgrind xvfb xauth xdotool
fonts-liberation fonts-wqy-microhei
qemu-system-arm dosfstools mtools fdisk e2fsprogs kmod cpio python3"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -z "$missing" ]; then
    echo "setup: all packages present"
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "setup: installing$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# shellcheck disable=SC2086
$SUDO apt-get install -y --no-install-recommends $missing
