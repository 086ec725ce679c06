#!/bin/sh
# Runs the firmware on a simulated board in ./run (made afresh each time).
# Until the main program is complete this is a demo of what exists: a board
# is made, changed with velto-board and read back through the platform
# services, as the firmware sees it.
set -e
BUILD=${1:-build}
BIN=$(cd "$BUILD/bin" && pwd)
mkdir -p run
cd run
"$BIN/velto-board" init
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
