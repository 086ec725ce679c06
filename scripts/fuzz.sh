#!/bin/sh
# Builds the libFuzzer targets with clang (ASan+UBSan) and runs each for a
# bounded time on all cores, starting from the corpus kept in
# fuzz/<folder>/corpus, the folder's seeds and the regression files of the
# suite. Crashers land in build-fuzz/crashes.
#
#   FUZZ_SECONDS  time per target (default 40)
#   FUZZ_JOBS     parallel workers per target (default: all cores)
#   FUZZ_TARGETS  space-separated target or folder names (default: all)
#   FUZZ_MERGE=1  afterwards, merge what the run found into the kept corpus
#                 (minimised, files under 4 KiB)
#   FUZZ_VERBOSE=1  keep the firmware's output in the logs
set -e
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-40}
JOBS=${FUZZ_JOBS:-$(nproc)}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DVELTO_FUZZ=ON -DVELTO_TESTS=OFF \
    -DVELTO_BENCH=OFF -DVELTO_SANITIZE=address >/dev/null
cmake --build build-fuzz -j"$(nproc)"
mkdir -p build-fuzz/crashes
if [ "${FUZZ_VERBOSE:-0}" != 0 ]; then
    VELTO_FUZZ_VERBOSE=1
    export VELTO_FUZZ_VERBOSE
fi

# Merges the run's finds into the kept corpus: only inputs that add coverage
# stay, and none of 4 KiB or more, so the repository keeps a small corpus.
merge_corpus() {
    m_fuzzer=$1 m_kept=$2 m_new=$3
    stage=$(mktemp -d) out=$(mktemp -d)
    find "$m_kept" "$m_new" -type f -size -4k -exec cp {} "$stage"/ \;
    if "$m_fuzzer" -merge=1 -timeout=10 -rss_limit_mb=2048 "$out" "$stage" >"$out.log" 2>&1 &&
        [ -n "$(ls "$out")" ]; then
        find "$m_kept" -type f -delete
        find "$out" -type f -exec cp {} "$m_kept"/ \;
        echo "fuzz: kept corpus $m_kept: $(ls "$m_kept" | wc -l) files," \
            "$(cat "$m_kept"/* | wc -c) bytes"
    else
        tail -20 "$out.log"
        echo "fuzz: merge into $m_kept FAILED"
    fi
    rm -rf "$stage" "$out" "$out.log"
}

found=0
status=0
for f in "$PWD"/build-fuzz/fuzzers/*; do
    [ -f "$f" ] && [ -x "$f" ] || continue
    name=$(basename "$f")
    # fuzz_<folder>_...: the folder's dictionary, seeds and kept corpus.
    folder=$(echo "$name" | cut -d_ -f2)
    if [ -n "${FUZZ_TARGETS:-}" ]; then
        case " $FUZZ_TARGETS " in
            *" $name "* | *" $folder "*) ;;
            *) continue ;;
        esac
    fi
    found=1
    # Absolute paths: a fuzzer works in a scratch directory of its own.
    corpus=$PWD/build-fuzz/corpus/$name
    kept=$PWD/fuzz/$folder/corpus
    mkdir -p "$corpus" "$kept"
    seeds=""
    [ -d "fuzz/$folder/seeds" ] && seeds="$PWD/fuzz/$folder/seeds"
    # Inputs that once broke a target are kept as regression files.
    for r in tests/*/"$folder"_regressions; do
        [ -d "$r" ] && cp "$r"/* "$corpus"/ 2>/dev/null || true
    done
    dict=""
    for d in fuzz/"$folder"/*.dict; do
        [ -f "$d" ] && dict="-dict=$PWD/$d"
    done
    [ "$folder" = settings ] && cp assets/veltoscconf.xml "$corpus"/shipped.xml
    parallel=""
    [ "$JOBS" -gt 1 ] && parallel="-fork=$JOBS"
    echo "fuzz: $name for ${SECONDS_EACH}s on $JOBS core(s)"
    if ! "$f" $parallel -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=10 $dict \
        -artifact_prefix="$PWD"/build-fuzz/crashes/"$name"- "$corpus" "$kept" $seeds \
        >build-fuzz/"$name".log 2>&1; then
        tail -40 build-fuzz/"$name".log
        echo "fuzz: $name FAILED (artifacts in build-fuzz/crashes)"
        status=1
    else
        grep -E '^#[0-9]+' build-fuzz/"$name".log | tail -1
    fi
    if [ "${FUZZ_MERGE:-0}" = 1 ]; then
        merge_corpus "$f" "$kept" "$corpus"
    fi
done
[ "$found" = 1 ] || echo "fuzz: no targets"
exit $status
