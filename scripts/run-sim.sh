#!/bin/sh
# Runs the whole device on a simulated board in ./run: keeper (which starts
# veltosc) and chargeled, in a window when there is a display, headless
# otherwise; Ctrl-C ends everything. Arguments go to velto-sim
# (--headless, --seconds N, --script FILE, --dir RUNDIR).
set -e
BUILD=${1:-build}
[ $# -gt 0 ] && shift
exec "$BUILD/bin/velto-sim" "$@"
