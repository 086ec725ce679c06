#!/bin/bash
# Scenario tests of the board build on a real ARM kernel in QEMU (velto-vm):
# the real framebuffer, evdev keys, vivid as the camera head, the SD card,
# mkdosfs and the storage gadget. Each scenario boots its own VM in a fresh
# folder and leaves no QEMU behind.
#
# Usage: vm_device_test.sh VELTO_VM BUILD_ARMEL SCENARIO
#   SCENARIO: screens | capture | storage | keeper | faults
set -uo pipefail

VM_TOOL=$1
BUILD=$2
SCENARIO=$3
HERE=$(cd "$(dirname "$0")" && pwd)

failed=0
fail() {
    failed=1
    echo "FAIL: $*" >&2
    "$VM_TOOL" --dir "$VMDIR" sh 'ps; grep -vE "^ Start:[0-9]+ $|querycontrol" /run/velto.log | tail -n 40' \
        >"$VMDIR/guest.log" 2>&1 && { echo "--- guest (last lines)"; tail -n 60 "$VMDIR/guest.log"; } >&2
    [ -f "$VMDIR/console.log" ] && { echo "--- console (last lines)"; tail -n 30 "$VMDIR/console.log"; } >&2
    exit 1
}
command -v qemu-system-arm >/dev/null ||
    { echo "FAIL: qemu-system-arm is missing (apt-get install qemu-system-arm)" >&2; exit 1; }
for tool in djpeg ffprobe mke2fs sfdisk mkfs.vfat; do
    command -v $tool >/dev/null || { echo "FAIL: $tool is missing" >&2; exit 1; }
done

VMDIR=$(mktemp -d "$BUILD/vm-test-$SCENARIO.XXXXXX")
cleanup() {
    "$VM_TOOL" --dir "$VMDIR" cut >/dev/null 2>&1
    # A failed run keeps its screenshots, pictures and console log.
    if [ "$failed" = 1 ]; then
        rm -f "$VMDIR"/*.img
        echo "kept for a look: $VMDIR" >&2
    else
        rm -rf "$VMDIR"
    fi
}
trap cleanup EXIT
vm() { "$VM_TOOL" --dir "$VMDIR" --build "$BUILD" "$@"; }
gsh() { vm sh "$@"; }

# pixel FILE X,Y ...: "R G B" lines.
pixel() { python3 "$HERE/ppm_pixel.py" "$@" | tail -n +2; }
# near "R G B" R G B [TOLERANCE]
near() {
    set -- $1 "${@:2}"
    local tol=${7:-40} i
    for i in 0 1 2; do
        local a b
        a=${@:$((i + 1)):1}
        b=${@:$((i + 4)):1}
        [ $((a > b ? a - b : b - a)) -le "$tol" ] || return 1
    done
}
shot() { vm screenshot "$VMDIR/$1.ppm" || fail "screenshot $1"; echo "$VMDIR/$1.ppm"; }

# until_true SECONDS COMMAND...: retries a guest check each half second.
until_true() {
    local end=$((SECONDS + $1))
    shift
    while [ $SECONDS -lt $end ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.5
    done
    return 1
}

# until_screen SECONDS NAME X,Y R G B: waits for a pixel of the screen.
until_screen() {
    local end=$((SECONDS + $1)) f
    while [ $SECONDS -lt $end ]; do
        f=$(shot "$2")
        near "$(pixel "$f" "$3")" "$4" "$5" "$6" && return 0
        sleep 0.5
    done
    return 1
}

main_screen() { until_screen "$1" main 30,17 255 255 255 && until_screen 2 main 160,120 0 0 0; }

boot() {
    vm boot || fail "boot"
    main_screen 30 || fail "no main screen (camera icon, colour key) on /dev/fb0"
}

# The newest file matching a guest glob, or nothing.
newest() { gsh "ls -t $1 2>/dev/null | head -n1"; }

# check_pattern JPEG: 640 x 480 with vivid's colour bars across the whole frame.
check_pattern() {
    djpeg -pnm "$1" >"$1.ppm" || fail "djpeg cannot decode $1"
    local size
    size=$(python3 "$HERE/ppm_pixel.py" "$1.ppm" | head -n1)
    [ "$size" = "640 480" ] || fail "picture is $size, not 640 480"
    # Bars of 80 pixels: white, yellow, cyan, green, magenta, red, blue, black;
    # the lower half too, where a picture filled only at 320 x 240 is empty.
    local want=("190 190 190" "190 190 0" "0 190 190" "0 190 0" "190 0 190" "190 0 0" "0 0 190" "0 0 0")
    local i=0 got
    while read -r got; do
        near "$got" ${want[$((i % 8))]} 60 ||
            fail "bar $((i % 8)) of $1 at row $([ $i -lt 8 ] && echo 300 || echo 470) is '$got'"
        i=$((i + 1))
    done < <(pixel "$1.ppm" 40,300 120,300 200,300 280,300 360,300 440,300 520,300 600,300 \
                           40,470 120,470 200,470 280,470 360,470 440,470 520,470 600,470)
}

scenario_screens() {
    boot
    vm key F1
    until_screen 5 setup 160,5 22 66 115 || fail "F1 did not open the setup menu"
    near "$(pixel "$VMDIR/setup.ppm" 160,70)" 22 66 115 || fail "setup menu has no selected row"
    vm key F1
    main_screen 5 || fail "F1 did not return to the main screen"
    vm key F4
    until_screen 5 media 30,140 240 192 32 || fail "F4 did not open the media chooser"
    near "$(pixel "$VMDIR/media.ppm" 230,100)" 216 222 230 || fail "media chooser lacks the video choice"
    vm key F1
    main_screen 5 || fail "F1 did not leave the media chooser"
    # The program runs on the framebuffer's real size.
    gsh 'cat /sys/class/graphics/fb0/virtual_size' | grep -q '^320,240' || fail "fb0 is not 320x240"
}

scenario_capture() {
    boot
    # Without a card, pictures go to the internal medium.
    vm board sd remove || fail "sd remove"
    until_true 10 gsh '! grep -q " /media/sd-mmcblk0p1 " /proc/mounts' || fail "card still mounted"
    sleep 2
    vm key ENTER
    until_true 15 gsh 'ls /media/nand/*.jpg' || fail "no picture on the internal medium"
    sleep 1
    jpg=$(newest '/media/nand/*.jpg')
    vm pull "$jpg" "$VMDIR/nand.jpg" || fail "pull $jpg"
    check_pattern "$VMDIR/nand.jpg"

    # F3: video mode; Enter records, Enter stops.
    vm key F3
    sleep 1
    vm key ENTER
    sleep 4
    vm key ENTER
    until_true 10 gsh 'ls /media/nand/*.avi' || fail "no recording on the internal medium"
    sleep 2
    avi=$(newest '/media/nand/*.avi')
    vm pull "$avi" "$VMDIR/rec.avi" || fail "pull $avi"
    frames=$(ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=nb_read_frames,width,height -of csv=p=0 "$VMDIR/rec.avi") ||
        fail "ffprobe cannot read the recording"
    IFS=, read -r w h n <<<"$frames"
    [ "$w" = 320 ] && [ "$h" = 240 ] || fail "recording is ${w}x$h"
    [ "${n:-0}" -ge 25 ] || fail "recording holds only ${n:-0} frames"

    # With the card back, pictures go to its DCIM.
    vm key F3
    vm board sd insert || fail "sd insert"
    until_true 10 gsh 'grep -q " /media/sd-mmcblk0p1 " /proc/mounts' || fail "card not mounted"
    sleep 3
    vm key ENTER
    until_true 15 gsh 'ls /media/sd-mmcblk0p1/DCIM/*.jpg' || fail "no picture in the card's DCIM"
}

scenario_storage() {
    boot
    gsh 'echo mark >/media/sd-mmcblk0p1/MARK.TXT && sync' || fail "cannot write the card"
    # A PC on the cable: the USB screen, and the PC sees the card as a disk.
    vm board pc connect
    until_screen 10 usb 160,80 240 192 32 || fail "no USB screen after pc connect"
    until_true 15 gsh 'grep -q "sda\$" /proc/partitions && grep -q "sdb\$" /proc/partitions' ||
        fail "the PC side does not see two disks"
    # One of the PC's two disks (the luns probe in either order) holds what
    # the device wrote on the card.
    pc_sees_mark() {
        gsh 'mkdir -p /tmp/pc; for d in /dev/sda /dev/sdb; do
                 mount -t vfat -o ro $d /tmp/pc 2>/dev/null || continue
                 cat /tmp/pc/MARK.TXT 2>/dev/null; umount /tmp/pc
             done' | grep -q mark
    }
    until_true 20 pc_sees_mark || fail "the PC's disk does not hold the card's files"
    vm board pc disconnect
    main_screen 20 || fail "no main screen after pc disconnect"
    until_true 10 gsh 'grep -q " /media/sd-mmcblk0p1 " /proc/mounts && cat /media/sd-mmcblk0p1/MARK.TXT' ||
        fail "card not mounted again after pc disconnect"

    # Formatting from the settings: the real mkdosfs, an empty card after.
    vm key F1
    until_screen 5 setup 160,5 22 66 115 || fail "no setup menu"
    vm key DOWN
    vm key DOWN
    sleep 0.5
    vm key ENTER
    sleep 1.5
    vm key ENTER # format media?
    sleep 1.5
    vm key ENTER # erases all files
    until_true 40 gsh 'grep -q mkfs.fat /run/velto.log && grep -q " /media/sd-mmcblk0p1 vfat" /proc/mounts && test ! -e /media/sd-mmcblk0p1/MARK.TXT' ||
        fail "card not formatted and mounted again"
    gsh 'grep -q "Run /bin/mount -t vfat /dev/mmcblk0p1" /run/velto.log' || fail "no mount after format"
}

scenario_keeper() {
    boot
    old=$(gsh 'pidof veltosc')
    gsh 'kill -9 $(pidof veltosc)'
    until_true 20 gsh "p=\$(pidof veltosc) && [ \"\$p\" != $old ]" || fail "keeper did not restart veltosc"
    main_screen 30 || fail "no main screen after the restart"
    gsh 'pidof keeper chargeled' >/dev/null || fail "keeper or chargeled gone"
    # A halt ends QEMU; what the device saved is on the state disk at the next boot.
    gsh 'echo kept >/usr/velto/vm-test-mark && sync'
    vm halt || fail "halt"
    [ "$(vm status)" = stopped ] || fail "QEMU still runs after halt"
    boot
    gsh 'cat /usr/velto/vm-test-mark' | grep -q kept || fail "state disk lost /usr/velto"
}

scenario_faults() {
    boot
    # No PXP here: the program keeps retrying it, the UI stays on fb0.
    # Each attempt logs the start of the PXP output (with its source line,
    # which moves as the code does); none opens it.
    until_true 10 gsh '[ $(grep -cE "^ Start:[0-9]+ $" /run/velto.log) -ge 3 ]' || fail "the PXP is not retried"
    gsh 'grep -q "MXS PXP is opened" /run/velto.log' && fail "a PXP opened on a machine without one"

    # A damaged card: its boot sector gone. It does not mount; pictures go to
    # the internal medium and the program runs on.
    vm board sd remove
    until_true 10 gsh '! grep -q " /media/sd-mmcblk0p1 " /proc/mounts' || fail "card still mounted"
    dd if=/dev/zero of="$VMDIR/sd.img" bs=512 seek=2048 count=64 conv=notrunc status=none
    vm board sd insert
    until_true 10 gsh 'test -e /sys/class/block/mmcblk0p1' || fail "damaged card not seen"
    sleep 2
    gsh 'grep -q " /media/sd-mmcblk0p1 " /proc/mounts' && fail "a damaged card mounted"
    main_screen 10 || fail "no main screen with a damaged card"
    vm key ENTER
    until_true 15 gsh 'ls /media/nand/*.jpg' || fail "no picture on the internal medium with a damaged card"
    old=$(gsh 'pidof veltosc')

    # The camera goes while recording and comes back: the recording stays
    # readable, frames come back.
    vm key F3
    sleep 1
    vm key ENTER
    sleep 3
    vm board camera unplug || fail "camera unplug"
    sleep 3
    vm board camera plug || fail "camera plug"
    sleep 2
    vm key ENTER
    until_true 10 gsh 'ls /media/nand/*.avi' || fail "no recording"
    sleep 2
    avi=$(newest '/media/nand/*.avi')
    vm pull "$avi" "$VMDIR/cut.avi" || fail "pull $avi"
    n=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames         -of csv=p=0 "$VMDIR/cut.avi") || fail "recording across the unplug unreadable"
    [ "${n:-0}" -ge 10 ] || fail "recording across the unplug holds ${n:-0} frames"
    # Raw video fills the small internal medium fast; room for what follows.
    gsh "rm -f /media/nand/*.avi && sync"
    vm key F3
    sleep 1
    before=$(gsh 'ls /media/nand/*.jpg | wc -l')
    until_true 20 gsh "grep -c 'to UVC_STATUS_STREAMING' /run/velto.log | grep -qv '^1\$'" ||
        fail "the stream did not come back after the replug"
    vm key ENTER
    until_true 15 gsh "[ \$(ls /media/nand/*.jpg | wc -l) -gt $before ]" ||
        fail "no picture after the camera came back"
    jpg=$(newest '/media/nand/*.jpg')
    vm pull "$jpg" "$VMDIR/back.jpg" || fail "pull $jpg"
    check_pattern "$VMDIR/back.jpg"
    [ "$(gsh 'pidof veltosc')" = "$old" ] || fail "veltosc restarted during the faults"

    # A TV output on a framebuffer that cannot change its mode (bochs-drm):
    # keeper goes on, and the program comes up on the size fb0 really has.
    gsh 'echo lcd_panel=tvenc_pal >/etc/lcdparams'
    vm board tvcable in
    gsh 'kill $(pidof veltosc)'
    until_true 20 gsh "p=\$(pidof veltosc) && [ \"\$p\" != $old ]" || fail "keeper did not start veltosc for the TV"
    gsh 'pidof keeper' >/dev/null || fail "keeper gone after the refused mode"
    gsh 'cat /sys/class/graphics/fb0/virtual_size' | grep -q '^320,240' || fail "fb0 changed its size"
    # The new program draws: the framebuffer blanked, the clock line at the
    # foot of the 320 x 240 screen comes back within its second.
    sleep 3
    gsh 'dd if=/dev/zero of=/dev/fb0 bs=1024 count=300 2>/dev/null; true'
    date_drawn() {
        shot tv >/dev/null &&
            pixel "$VMDIR/tv.ppm" $(for x in $(seq 60 2 260); do echo "$x,227"; done) |
            grep -c '^255 255 255$' | awk '{ exit !($1 >= 5) }'
    }
    until_true 20 date_drawn || fail "no screen after the refused TV mode"
    [ "$(python3 "$HERE/ppm_pixel.py" "$VMDIR/tv.ppm" | head -n1)" = "320 240" ] || fail "screen not 320x240"
}

"scenario_$SCENARIO"
echo "PASS: $SCENARIO"
