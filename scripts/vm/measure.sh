#!/bin/bash
# Figures of the device in QEMU: peak RSS (VmHWM) of veltosc with the camera
# streaming and a recording running, and of keeper and chargeled; time from
# the start-up script to the main screen and to the stream; CPU time of
# veltosc per captured frame while recording.
# Usage: scripts/vm/measure.sh [RECORD_SECONDS]   (boots a VM of its own)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
SECONDS_REC=${1:-20}
DIR=$(mktemp -d "${TMPDIR:-/tmp}/velto-vm-measure.XXXXXX")
trap '"$ROOT/scripts/velto-vm" --dir "$DIR" cut; rm -rf "$DIR"' EXIT
vm() { "$ROOT/scripts/velto-vm" --dir "$DIR" "$@"; }
pixel() { python3 "$ROOT/tests/vm/ppm_pixel.py" "$@" | tail -n +2; }

vm boot >/dev/null
# Main screen: the camera icon drawn; the guest's clock read at that moment.
until [ "$(vm screenshot "$DIR/s.ppm" && pixel "$DIR/s.ppm" 30,17)" = "255 255 255" ]; do sleep 0.2; done
main=$(vm sh 'cut -d" " -f1 /proc/uptime')
start=$(vm sh 'cat /run/velto-vm/startup.uptime')
stream=$(vm sh 'while ! grep -q "STREAMING" /run/velto.log; do sleep 0.1; done; cut -d" " -f1 /proc/uptime')
echo "start-up script to main screen: $(echo "$main - $start" | bc) s (screenshot polling included)"
echo "start-up script to streaming:   $(echo "$stream - $start" | bc) s"

cpu() { vm sh 'set -- $(cut -d")" -f2 /proc/$(pidof veltosc)/stat); echo $((${12} + ${13}))'; }
vm key F3
sleep 1
c0=$(cpu)
vm key ENTER
sleep "$SECONDS_REC"
c1=$(cpu)
hwm=$(vm sh 'grep VmHWM /proc/$(pidof veltosc)/status')
vm key ENTER
sleep 2
avi=$(vm sh 'ls -t /media/sd-mmcblk0p1/DCIM/*.avi | head -n1')
frames=$(vm sh "/usr/velto/velto-avi info '$avi' 2>/dev/null | sed -n 's/.*frames[: ]*\([0-9]*\).*/\1/p' | head -n1")
if [ -z "$frames" ]; then
    vm pull "$avi" "$DIR/r.avi"
    frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
        -of csv=p=0 "$DIR/r.avi")
fi
hz=100 # USER_HZ of the armmp kernel
echo "veltosc while streaming and recording: $hwm"
for p in keeper chargeled; do
    echo "$p: $(vm sh "grep VmHWM /proc/\$(pidof $p | cut -d' ' -f1)/status")"
done
echo "recording: $frames frames in about $SECONDS_REC s"
echo "veltosc CPU per captured frame: $(echo "scale=2; ($c1 - $c0) * 1000 / $hz / $frames" | bc) ms"
