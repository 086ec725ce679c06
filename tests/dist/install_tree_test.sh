#!/bin/sh
# Installs the build into a temporary root and checks the device's tree: the
# built programs, artwork, fonts and configuration in /usr/velto, the start-up
# script with its runlevel links, and nothing anywhere else.
#
# Usage: install_tree_test.sh <cmake> <build dir> <asset dir>
set -u
CMAKE=$1
BUILD=$2
ASSETS=$3
if ! grep -q 'usr/velto' "$BUILD/cmake_install.cmake"; then
    echo "the install rules are not part of this build"
    exit 77
fi
ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
passed=0
failed=0
check() {
    what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
    fi
}
# TrueType, OpenType or a TrueType collection, by the first four bytes.
is_font() {
    case "$(head -c4 "$1" | od -An -tx1 | tr -d ' \n')" in
        00010000 | 74727565 | 74746366 | 4f54544f) return 0 ;;
    esac
    return 1
}

"$CMAKE" --install "$BUILD" --prefix "$ROOT" >"$ROOT.log" 2>&1
check "install succeeds" [ $? -eq 0 ] || sed 's/^/  /' "$ROOT.log"
rm -f "$ROOT.log"
V=$ROOT/usr/velto

for program in keeper veltosc chargeled splash; do
    if [ -e "$BUILD/bin/$program" ]; then
        check "$program installed" [ -x "$V/$program" ]
    fi
done
for face in Arial.ttf Arialb.ttf MSYH.TTF; do
    check "font $face installed" is_font "$V/fonts/$face"
done
if [ -f "$ASSETS/veltoscconf.xml" ]; then
    check "configuration installed" cmp -s "$ASSETS/veltoscconf.xml" "$V/veltoscconf.xml"
fi
# The pictures veltosc loads from img/ and the one splash loads from
# /usr/velto/img/ end up in the same folder.
for picture in "$ASSETS"/img/* "$ASSETS"/usr_velto_img/*; do
    [ -f "$picture" ] || continue
    check "picture $(basename "$picture") installed" cmp -s "$picture" "$V/img/$(basename "$picture")"
done
if [ -d "$ASSETS/usr_velto_img" ]; then
    check "goodbye picture at /usr/velto/img/bye.png" [ -s "$V/img/bye.png" ]
fi

check "start-up script installed" [ -x "$ROOT/etc/init.d/velto" ]
for link in rc2.d/S90velto rc5.d/S90velto rc0.d/K10velto rc6.d/K10velto; do
    check "$link points at the script" \
        [ "$(readlink "$ROOT/etc/$link")" = "../init.d/velto" -a -x "$ROOT/etc/$link" ]
done

# Libraries, headers or tools of the build must not leak into the device.
stray=$(cd "$ROOT" && find . -mindepth 1 \( -type f -o -type l \) |
        grep -v -e '^\./usr/velto/' -e '^\./etc/init\.d/velto$' -e '^\./etc/rc[0-6]\.d/[SK][0-9][0-9]velto$')
check "nothing installed outside /usr/velto and the start-up files" [ -z "$stray" ] ||
    echo "$stray" | sed 's/^/  stray: /'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
