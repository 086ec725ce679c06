#!/bin/sh
# Instructions per shown frame of the firmware's three pipeline threads
# (capture, camera controller, recorder), counted by callgrind: exact and
# repeatable where times on a shared machine are not. The simulated camera
# and PXP threads are not counted; the simulated devices' answers to the
# firmware's own calls are.
#   bench/camera/callgrind_pipeline.sh [build-dir] [seconds]
set -e
build=${1:-build}
seconds=${2:-20}
out=$(mktemp)
trap 'rm -f "$out" "$out.report"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$out" --collect-atstart=no \
    --toggle-collect='CV4L2_UVCCtrl::thread_proc()' \
    --toggle-collect='CVeltoCamRecCtrl::thread_proc()' \
    --toggle-collect='CVeltoAVISaver::thread_proc()' \
    "$build/bench/camera_pipeline_bench" "$seconds" >"$out.report" 2>/dev/null
cat "$out.report"
total=$(callgrind_annotate "$out" 2>/dev/null | sed -n 's/^ *\([0-9,]*\) .*PROGRAM TOTALS.*/\1/p' | tr -d ,)
shown=$(sed -n 's/^ *frames in all *\([0-9]*\).*/\1/p' "$out.report")
awk -v t="$total" -v s="$shown" 'BEGIN {
    if (s > 0) printf "  instructions         %.0f per shown frame (callgrind, %d frames)\n", t / s, s }'
