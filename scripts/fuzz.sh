#!/bin/sh
# Builds the libFuzzer targets with clang (ASan+UBSan) and runs each for a
# bounded time from its seed corpus. Crashers land in build-fuzz/crashes.
set -e
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVELTO_FUZZ=ON -DVELTO_TESTS=OFF \
    -DVELTO_BENCH=OFF -DVELTO_SANITIZE=address >/dev/null
cmake --build build-fuzz -j"$(nproc)"
mkdir -p build-fuzz/crashes
found=0
status=0
for f in build-fuzz/fuzzers/*; do
    [ -f "$f" ] && [ -x "$f" ] || continue
    found=1
    name=$(basename "$f")
    # Absolute paths: a fuzzer may work in a scratch directory of its own.
    corpus=$PWD/build-fuzz/corpus/$name
    mkdir -p "$corpus"
    # fuzz_<folder>_...: the folder's dictionary and seed files, if any.
    folder=$(echo "$name" | cut -d_ -f2)
    seeds=""
    [ -d "fuzz/$folder/seeds" ] && seeds="$PWD/fuzz/$folder/seeds"
    # Inputs that once broke a parser are kept as regression files.
    for r in tests/*/"$folder"_regressions; do
        [ -d "$r" ] && cp "$r"/* "$corpus"/ 2>/dev/null || true
    done
    dict=""
    for d in fuzz/"$folder"/*.dict; do
        [ -f "$d" ] && dict="-dict=$PWD/$d"
    done
    [ "$folder" = settings ] && cp assets/veltoscconf.xml "$corpus"/shipped.xml
    echo "fuzz: $name for ${SECONDS_EACH}s"
    if ! "$f" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=10 $dict \
        -artifact_prefix="$PWD"/build-fuzz/crashes/"$name"- "$corpus" $seeds >build-fuzz/"$name".log 2>&1; then
        tail -40 build-fuzz/"$name".log
        echo "fuzz: $name FAILED (artifacts in build-fuzz/crashes)"
        status=1
    else
        tail -2 build-fuzz/"$name".log
    fi
done
[ "$found" = 1 ] || echo "fuzz: no targets"
exit $status
