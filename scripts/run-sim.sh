#!/bin/sh
# Runs the firmware on a simulated board in ./run (made afresh each time).
# Until the main program is complete this is a demo of what exists: a board
# is made, changed with velto-board and read back through the platform
# services as the firmware sees it; then a sample screen of the windowing
# layer is shown (in a window when there is a display, else saved as PNG).
set -e
BUILD=${1:-build}
BIN=$(cd "$BUILD/bin" && pwd)
rm -rf run
mkdir -p run
cd run
"$BIN/velto-board" init
# The run directory holds what the device keeps beside its programs.
cp -r "$BIN/img" "$BIN/fonts" .
[ -f ../assets/veltoscconf.xml ] && cp ../assets/veltoscconf.xml .
mkdir -p board/usr/velto/img
cp "$BIN/usr_velto_img/bye.png" board/usr/velto/img/
echo "== a fresh board, as the firmware reads it"
"$BIN/velto-sysinfo"
echo "== after: sd insert, charger on, battery 3500, pc connect, tvcable in"
"$BIN/velto-board" sd insert
"$BIN/velto-board" charger on
"$BIN/velto-board" battery 3500
"$BIN/velto-board" pc connect
"$BIN/velto-board" tvcable in
"$BIN/velto-sysinfo"
echo "== board state"
"$BIN/velto-board" state
echo "== commands the firmware ran on the board"
"$BIN/velto-board" commands
echo "== sample screen"
if [ -n "$DISPLAY" ]; then
    echo "(a window opens: arrows move the selection, Enter closes it)"
fi
"$BIN/velto-sample-screens"
echo "saved run/sample_dialog.png and run/artwork_sheet.png"
