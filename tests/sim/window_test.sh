#!/bin/sh
# velto-sim's window under a virtual X server, clicked with a real pointer at
# the rectangles 'velto-board panel' lists: the board panel's controls change
# the board and the device answers on its screen; the face's keys reach the
# program on top, held as long as the button is; switching to the TV output
# resizes the same window for the 720 x 576 screen; the goodbye program
# shows in it too.
#   window_test.sh BIN_DIR OUT_DIR
# Skips (exit 77) without Xvfb, xdotool or ffmpeg.
set -u
bin=$1
out=$2
for tool in Xvfb xdotool ffmpeg; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
        exit 77
    fi
done
work=$(mktemp -d)
run="$work/run"
xpid=""
spid=""
cleanup() {
    [ -n "$spid" ] && kill "$spid" 2>/dev/null && wait "$spid" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- velto-sim's log (end)"
    tail -30 "$work/sim.log"
    echo "--- panel"
    board panel
    exit 1
}
board() { "$bin/velto-board" --dir "$run" "$@"; }

# A display of our own, of a laptop's size.
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xpid=$!
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "SKIP: Xvfb did not start"; exit 77; }
DISPLAY=:$(cat "$work/display")
export DISPLAY
unset WAYLAND_DISPLAY

"$bin/velto-sim" --dir "$run" --seconds 170 >"$work/sim.log" 2>&1 &
spid=$!

# until CONDITION-COMMAND... : retries for up to 15 s.
until_ok() {
    for _ in $(seq 75); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.2
    done
    return 1
}
screen_is() { board panel | grep -q "^screen .* $1 veltosc$"; }
until_ok screen_is 320x240 || fail "veltosc never showed its screen in the window"
until_ok sh -c "'$bin/velto-board' --dir '$run' ui | grep -q VeltoRecMode" ||
    fail "the main screen never came up"
wid=$(xdotool search --name "Velto camera" | head -1)
[ -n "$wid" ] || fail "no window"
[ "$(xdotool search --name "Velto camera" | wc -l)" -eq 1 ] || fail "more than one window"
board panel | grep -q "^window 0 0 [0-9]* [0-9]* scale 2$" || fail "320 x 240 is not shown at x 2"

# The centre of a control's rectangle, or a point dx pixels into it.
rect() { board panel | awk -v n="$1" '$1 == n { print $2, $3, $4, $5; exit }'; }
press() {
    set -- "$1" "${2:-}"
    r=$(rect "$1")
    [ -n "$r" ] || fail "no control $1"
    # shellcheck disable=SC2086
    set -- "$1" "${2:-}" $r
    x=${2:-$(($5 / 2))}
    xdotool mousemove --window "$wid" $(($3 + x)) $(($4 + $6 / 2))
    xdotool mousedown 1
}
release() { xdotool mouseup 1; }
click() {
    press "$@"
    sleep 0.05
    release
    sleep 0.15
}
ui() { board ui; }
state() { board panel | awk -v n="$1" '$1 == n { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print; exit }'; }

# The SD card button: the card goes in and its icon shows on the screen.
click sd
[ "$(state sd | cut -d' ' -f1)" = in ] || fail "the SD button did not insert the card"
until_ok sh -c "'$bin/velto-board' --dir '$run' ui | grep -q \"VeltoSDChecker .* visible\"" ||
    fail "no SD icon on the screen after the card went in"

# Enter on the face in picture mode: a picture is written.
pictures() { find "$run/board/sim/disks" -iname '*.jpg' | wc -l; }
before=$(pictures)
click key-enter
until_ok sh -c "[ \$(find '$run/board/sim/disks' -iname '*.jpg' | wc -l) -gt $before ]" ||
    fail "Enter on the face wrote no picture"

# The battery slider at 3.4 V, off the charger: the gauge blinks (2 s off,
# 2 s on) and the device does not ask to power off.
[ "$(state charger | cut -d' ' -f1)" = off ] || fail "the charger is on"
r=$(rect battery)
w=$(echo "$r" | cut -d' ' -f3)
click battery $(((3400 - 3200) * (w - 1) / 1000))
mv=$(board state | sed -n 's/^battery: \([0-9]*\) mV$/\1/p')
{ [ "$mv" -ge 3390 ] && [ "$mv" -le 3410 ]; } || fail "the slider set $mv mV, not 3400"
shown=0
hidden=0
for _ in $(seq 30); do
    if ui | grep -q "VeltoBattery .* visible"; then shown=1; else hidden=1; fi
    [ $shown -eq 1 ] && [ $hidden -eq 1 ] && break
    sleep 0.25
done
{ [ $shown -eq 1 ] && [ $hidden -eq 1 ]; } || fail "the battery gauge does not blink at 3.4 V"
[ "$(ui | grep -c '^#dialog')" -eq 1 ] || fail "a dialog came up at 3.4 V (power off?)"
click battery $(((3900 - 3200) * (w - 1) / 1000))

# The camera unplugged: the live view goes (the screen turns black behind the
# icons); plugged again, it comes back.
colours() {
    board screenshot "$work/shot.png" >/dev/null &&
        ffmpeg -loglevel error -y -i "$work/shot.png" -vf "crop=320:40:0:120" -f rawvideo \
            -pix_fmt gray - | od -An -v -tu1 | tr -s ' ' '\n' | sort -u | wc -l
}
[ "$(colours)" -gt 3 ] || fail "no live view before the unplug"
click camera
[ "$(state camera | cut -d' ' -f1)" = unplugged ] || fail "the camera button did not unplug"
gone=0
for _ in $(seq 30); do
    if [ "$(colours)" -le 2 ]; then gone=1; break; fi
    sleep 0.2
done
[ $gone -eq 1 ] || fail "the live view stayed after the camera was unplugged"
click camera
back=0
for _ in $(seq 50); do
    if [ "$(colours)" -gt 3 ]; then back=1; break; fi
    sleep 0.2
done
[ $back -eq 1 ] || fail "the live view did not come back after the camera was plugged"

# The help screen through the face's keys; F3 held for 5 s on it shows the
# hidden text.
click key-f1
sleep 0.6
for _ in 1 2 3; do click key-down; done
click key-enter
until_ok sh -c "'$bin/velto-board' --dir '$run' ui | grep -q \"STATIC 'Help'\"" ||
    fail "the face's keys did not reach the help screen"
ui | grep -q "STATIC '' 0 198 " || fail "the hidden text shows before F3 is held"
press key-f3
sleep 2
[ "$(state key-f3)" = down ] || fail "F3 is not held on the face"
ui | grep -q "STATIC '' 0 198 " || fail "the hidden text shows after 2 s of F3"
sleep 3.6
ui >"$work/help.txt"
release
grep -q "STATIC '[^']\+' 0 198 " "$work/help.txt" || fail "F3 held for 5 s did not show the text"
board panel screenshot "$work/help.png" || fail "no picture of the window"
click key-f1
sleep 0.6
click key-f1
sleep 1

# The TV cable in, then PAL on the TV-out screen through the face's keys:
# veltosc starts again at 720 x 576, in the same window, made larger.
geometry() { xdotool getwindowgeometry "$wid" | sed -n 's/^ *Geometry: //p'; }
[ "$(geometry)" = "$(board panel | awk '$1 == "window" { print $4 "x" $5 }')" ] ||
    fail "the window is not the size the panel gives"
small=$(geometry)
click tvcable
[ "$(state tvcable | cut -d' ' -f1)" = in ] || fail "the TV cable button did not plug the cable"
click key-f1
sleep 1
click key-enter
sleep 0.8
click key-up
click key-enter
sleep 0.8
click key-down
click key-enter
sleep 0.8
click key-enter
for _ in 1 2 3; do until_ok screen_is 720x576 && break; done
screen_is 720x576 || fail "the screen in the window did not become 720 x 576"
[ "$(xdotool search --name "Velto camera")" = "$wid" ] || fail "the window is not the same window"
big=$(geometry)
[ "$big" != "$small" ] || fail "the window kept its size ($small) for the TV's screen"
board panel | grep -q "^window 0 0 [0-9]* [0-9]* scale 1$" || fail "720 x 576 is not shown at x 1"
[ "$big" = "$(board panel | awk '$1 == "window" { print $4 "x" $5 }')" ] ||
    fail "the window ($big) is not the size the panel gives"
board panel | grep -q "^info .* Output: PAL" || fail "the panel does not show the PAL output"
sleep 2
board panel screenshot "$work/tv.png" || fail "no picture of the window"

# A change made with velto-board shows on the panel.
board sd remove >/dev/null
sd_out() { [ "$(state sd | cut -d' ' -f1)" = out ]; }
until_ok sd_out || fail "the panel did not follow velto-board sd remove"

# The power-off request while a warning is up (the PC's USB disk): the
# goodbye program shows in the same window.
click pc
until_ok sh -c "'$bin/velto-board' --dir '$run' ui | grep -q WarningBox" ||
    fail "connecting the PC brought no warning up"
click poweroff
screen_on() { board panel | grep -q "^screen .* $1$"; }
until_ok screen_on splash || fail "the goodbye program did not show in the window"
[ "$(xdotool search --name "Velto camera")" = "$wid" ] || fail "the goodbye program opened a window"

mkdir -p "$out"
cp "$work/help.png" "$out/window_320x240.png"
cp "$work/tv.png" "$out/window_720x576.png"
echo "window: the panel and the face drove the device; pictures in $out"
