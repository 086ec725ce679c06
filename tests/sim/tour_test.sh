#!/bin/sh
# The tour of the device's screens runs headless from a fresh run directory
# and saves a picture of every screen it names; the programs it started are
# gone afterwards.
#   tour_test.sh BIN_DIR TOUR_SCRIPT OUT_DIR [EMULATOR]
# EMULATOR: the command line that runs the build's programs (a cross build).
set -e
bin=$1
tour=$2
out=$3
emulator=${4:-}
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
# shellcheck disable=SC2086
$emulator "$bin/velto-sim" --dir "$run" --headless --script "$tour" >"$run/velto-sim.log" 2>&1 || {
    tail -40 "$run/velto-sim.log"
    echo "FAIL: velto-sim ended with an error"
    exit 1
}
missing=0
for shot in $(sed -n 's/^screenshot \(.*\)$/\1/p' "$tour"); do
    if [ ! -s "$run/$shot" ]; then
        echo "FAIL: no $shot"
        missing=1
    fi
done
[ "$missing" -eq 0 ]
# TV out PAL restarted the main program at the TV's size; the cable pulled,
# on the panel again.
file "$run/tour/30_tv_pal.png" | grep -q "720 x 576" || { echo "FAIL: not at 720 x 576 on PAL"; exit 1; }
file "$run/tour/31_back_on_lcd.png" | grep -q "320 x 240" || { echo "FAIL: not back on the LCD"; exit 1; }
ls "$run/board/sim/disks/loop0/"*.jpg "$run/board/sim/disks/loop0/"*.avi >/dev/null
if pgrep -f "$run" >/dev/null 2>&1; then
    echo "FAIL: programs of the run outlived velto-sim"
    exit 1
fi
# The pictures are the README's: keep them where the build can show them.
mkdir -p "$out"
cp "$run"/tour/*.png "$out"/
echo "tour: $(ls "$out" | wc -l) screens in $out"
