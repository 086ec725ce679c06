#!/bin/bash
# Cross-builds the board target for armel into build-armel and runs its tests
# through qemu-arm (ctest uses the toolchain's emulator, so every test program
# built here runs on the board's instruction set).
#
# Usage: scripts/test-armel.sh [ctest arguments...]   e.g. -R frame -V
# Set VELTO_ARMEL_BUILD to use another build directory.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELTO_ARMEL_BUILD:-$ROOT/build-armel}
JOBS=$(nproc)
start=$(date +%s)
stamp() { echo "test-armel: $1 after $(($(date +%s) - start)) s"; }

bash "$ROOT/scripts/armel-sysroot.sh" "$BUILD/sysroot"
stamp "sysroot ready"

cmake -S "$ROOT" -B "$BUILD" -DVELTO_TARGET=board \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-armel.cmake" \
    -DVELTO_ARMEL_SYSROOT="$BUILD/sysroot" -DVELTO_BENCH=OFF -DVELTO_FUZZ=OFF
cmake --build "$BUILD" -j"$JOBS"
stamp "build done"

# Everything built here must be code for the device: 32-bit ARM, EABI5.
bad=0
checked=0
while IFS= read -r -d '' exe; do
    desc=$(file -b "$exe")
    case "$desc" in
        ELF*) ;;
        *) continue ;;  # scripts and data next to the programs
    esac
    checked=$((checked + 1))
    case "$desc" in
        "ELF 32-bit LSB"*"ARM, EABI5"*) ;;
        *) echo "test-armel: not an armel program: $exe: $desc" >&2; bad=1 ;;
    esac
done < <(find "$BUILD/bin" "$BUILD/tests" -maxdepth 1 -type f -perm -u+x -print0 2>/dev/null)
[ "$bad" -eq 0 ] || exit 1
echo "test-armel: $checked programs are 32-bit ARM EABI5"

cd "$BUILD"
status=0
ctest --output-on-failure -j"$JOBS" "$@" || status=$?
stamp "tests done"
exit "$status"
