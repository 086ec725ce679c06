#!/bin/bash
# Cross-builds for armel and runs the tests through qemu-arm (ctest uses the
# toolchain's emulator, so every test program built here runs on the board's
# instruction set).
#
#   build-armel        board:      the device's build (-DVELTO_TARGET=board):
#                                  the real board layer, the programs, the
#                                  tests that need no simulated board
#   build-armel-asan   board-asan: the same tests with AddressSanitizer and
#                                  UBSan, which turn a misaligned 32-bit read
#                                  or a long that overflows at 32 bits into a
#                                  failure
#   build-armel-sim    sim:        the simulated board compiled for armel: the
#                                  whole suite on the board's instruction set
#
# Usage: scripts/test-armel.sh [ctest arguments...]   e.g. -R frame -V
# VELTO_ARMEL_TARGETS picks the builds ("board board-asan sim" by default).
# VELTO_ARMEL_BUILD moves build-armel elsewhere. VELTO_TEST_TIME_FACTOR
# (default 4 here) stretches the real-time waits of the sim build's tests,
# whose programs all run under the emulator.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${VELTO_ARMEL_BUILD:-$ROOT/build-armel}
JOBS=$(nproc)
start=$(date +%s)
stamp() { echo "test-armel: $1 after $(($(date +%s) - start)) s"; }

# Everything built must be code for the device: 32-bit ARM, EABI5; the
# device's own build must not need the PC's display library.
check_armel() {
    local bad=0 checked=0 exe desc
    while IFS= read -r -d '' exe; do
        desc=$(file -b "$exe")
        case "$desc" in
            ELF*) ;;
            *) continue ;; # scripts and data next to the programs
        esac
        checked=$((checked + 1))
        case "$desc" in
            "ELF 32-bit LSB"*"ARM, EABI5"*) ;;
            *) echo "test-armel: not an armel program: $exe: $desc" >&2; bad=1 ;;
        esac
        # Built with a 64-bit time_t against a libpng with a 32-bit one: this
        # call would hand it the wrong time.
        if arm-linux-gnueabi-nm -D --undefined-only "$exe" 2>/dev/null |
            grep -qw png_convert_from_time_t; then
            echo "test-armel: $exe calls png_convert_from_time_t, whose time_t is 32 bits in libpng" >&2
            bad=1
        fi
        if [ "$2" = board ] && arm-linux-gnueabi-readelf -d "$exe" | grep -q 'NEEDED.*libSDL'; then
            echo "test-armel: $exe links SDL, which the device does not have" >&2
            bad=1
        fi
    done < <(find "$1/bin" "$1/tests" -maxdepth 1 -type f -perm -u+x -print0 2>/dev/null)
    [ "$bad" -eq 0 ] || exit 1
    echo "test-armel: $checked programs in $1 are 32-bit ARM EABI5"
}

bash "$ROOT/scripts/armel-sysroot.sh" "$BUILD/sysroot"
stamp "sysroot ready"

status=0
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

for build in ${VELTO_ARMEL_TARGETS:-board board-asan sim}; do
    sanitize=
    case "$build" in
        board) dir=$BUILD target=board ;;
        board-asan) dir=$BUILD-asan target=board sanitize=address ;;
        sim) dir=$BUILD-sim target=sim ;;
        *) echo "test-armel: unknown build '$build' (board, board-asan or sim)" >&2; exit 2 ;;
    esac
    generator=()
    if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null; then
        generator=(-G Ninja)
    fi
    cmake -S "$ROOT" -B "$dir" "${generator[@]}" -DVELTO_TARGET="$target" -DVELTO_SANITIZE="$sanitize" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-armel.cmake" \
        -DVELTO_ARMEL_SYSROOT="$BUILD/sysroot" -DVELTO_BENCH=OFF -DVELTO_FUZZ=OFF "${launcher[@]}"
    cmake --build "$dir" -j"$JOBS"
    stamp "$build build done"
    check_armel "$dir" "$target"
    factor=${VELTO_TEST_TIME_FACTOR:-1}
    repeat=()
    if [ "$build" = sim ]; then
        factor=${VELTO_TEST_TIME_FACTOR:-4}
        # Whole-program scenarios under emulation: a camera unplug right
        # after a picture has been seen to leave the last frame up once in a
        # few runs (under investigation); a failed test gets one more run,
        # and its first failure stays in the log.
        repeat=(--repeat until-pass:2)
    fi
    (cd "$dir" && VELTO_TEST_TIME_FACTOR=$factor ctest --output-on-failure -j"$JOBS" "${repeat[@]}" "$@") ||
        status=1
    stamp "$build tests done"
done
exit "$status"
