#!/bin/sh
# Instructions per pixel of the pixel kernels, counted by callgrind (exact
# and repeatable, unlike times on a shared machine).
#   bench/media/callgrind_pixels.sh [build-dir]
# Targets: 12 or fewer for rgb24 and bgra32, 3 or fewer for the display crop.
set -e
build=${1:-build}
prog=$build/bench/media_pixel_count
rounds=20
pixels=$((640 * 480 * rounds))
count() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$prog" "$1" $rounds 2>&1 |
        sed -n 's/.*Collected : *\([0-9]*\).*/\1/p'
}
base=$(count none)
for k in rgb24 bgra32 zoom libyuv-c-bgra32; do
    n=$(count $k)
    awk -v n="$n" -v b="$base" -v p="$pixels" -v k="$k" \
        'BEGIN { printf "%-16s %6.2f instructions per pixel\n", k, (n - b) / p }'
done
