#!/bin/bash
# Builds the device's root file system for QEMU as an initramfs, with the
# kernel it boots on:
#   - the armel install tree of build-armel (cmake --install), the armel C and
#     C++ runtime and the sysroot's libraries;
#   - busybox and dosfstools from Debian's armel packages, Debian 12's armhf
#     armmp kernel and the modules the device needs, all fetched with a
#     private apt state (the host's dpkg is never touched);
#   - the board fixture (this folder).
# Downloads are cached in VELTO_VM_CACHE (default ~/.cache/velto-vm); the
# image is rebuilt only when one of its inputs changed.
#
# Usage: scripts/vm/build-image.sh BUILD_ARMEL OUT_DIR
# Leaves OUT_DIR/vmlinuz and OUT_DIR/initrd.gz.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$(cd "$1" && pwd)
OUT=$2
CACHE=${VELTO_VM_CACHE:-$HOME/.cache/velto-vm}
TRIPLET=arm-linux-gnueabi
mkdir -p "$OUT" "$CACHE/debs"
OUT=$(cd "$OUT" && pwd)

log() { echo "velto-vm image: $*" >&2; }
die() { echo "velto-vm image: error: $*" >&2; exit 1; }

apt_opts() { # ARCH
    local w=$CACHE/apt-$1
    mkdir -p "$w/state/lists/partial" "$w/cache/archives/partial"
    touch "$w/state/status"
    echo "-o APT::Architecture=$1 -o APT::Architectures::=$1 -o Dir::State=$w/state" \
         "-o Dir::State::status=$w/state/status -o Dir::Cache=$w/cache" \
         "-o Debug::NoLocking=1 -o APT::Sandbox::User=root -q"
}

# fetch ARCH PACKAGE: prints the cached .deb, downloading it the first time.
fetch() {
    local arch=$1 pkg=$2 deb opts
    deb=$(ls "$CACHE/debs/${pkg}_"*"_$arch.deb" 2>/dev/null | sort -V | tail -n1 || true)
    if [ -z "$deb" ]; then
        opts=$(apt_opts "$arch")
        # shellcheck disable=SC2086
        [ -n "$(ls "$CACHE/apt-$arch/state/lists" 2>/dev/null | grep -v partial)" ] ||
            apt-get $opts update >"$CACHE/apt-$arch.log" 2>&1 || true
        # shellcheck disable=SC2086
        (cd "$CACHE/debs" && apt-get $opts download "$pkg" >>"$CACHE/apt-$arch.log" 2>&1) ||
            die "cannot download $pkg:$arch (see $CACHE/apt-$arch.log)"
        deb=$(ls "$CACHE/debs/${pkg}_"*"_$arch.deb" | sort -V | tail -n1)
    fi
    echo "$deb"
}

# The kernel: the armmp flavour that Debian's meta package points at.
kernel_deb=$(ls "$CACHE/debs/"linux-image-6.1.0-*-armmp_*_armhf.deb 2>/dev/null | sort -V | tail -n1 || true)
if [ -z "$kernel_deb" ]; then
    opts=$(apt_opts armhf)
    # shellcheck disable=SC2086
    apt-get $opts update >"$CACHE/apt-armhf.log" 2>&1 || true
    # shellcheck disable=SC2086
    kpkg=$(apt-cache $opts depends linux-image-armmp 2>/dev/null |
           sed -n 's/^ *Depends: \(linux-image-6\.1\.0-[0-9]*-armmp\)$/\1/p' | head -n1)
    [ -n "$kpkg" ] || die "no linux-image-6.1.0-*-armmp for armhf (see $CACHE/apt-armhf.log)"
    kernel_deb=$(fetch armhf "$kpkg")
fi
busybox_deb=$(fetch armel busybox-static)
dosfs_deb=$(fetch armel dosfstools)

[ -x "$BUILD/bin/veltosc" ] || die "$BUILD has no veltosc: build the armel tree first"

# Inputs of the image; the same ones leave the image as it is.
stamp=$( (
    echo "$kernel_deb $busybox_deb $dosfs_deb"
    find "$BUILD/bin" -maxdepth 1 -type f -newer "$BUILD/CMakeCache.txt" -printf '%p %s %T@\n' | sort
    cat "$HERE"/* ) | sha256sum | cut -c1-16)
if [ -f "$OUT/initrd.gz" ] && [ "$(cat "$OUT/stamp" 2>/dev/null)" = "$stamp" ]; then
    exit 0
fi
log "assembling the root file system"

KX=$CACHE/kernel-$(basename "$kernel_deb" .deb)
if [ ! -f "$KX/.unpacked" ]; then
    rm -rf "$KX" && mkdir -p "$KX"
    dpkg-deb -x "$kernel_deb" "$KX"
    touch "$KX/.unpacked"
fi
KVER=$(ls "$KX/lib/modules" | head -n1)

R=$OUT/root
rm -rf "$R"
mkdir -p "$R"/{bin,sbin,usr/bin,usr/sbin,lib,etc,proc,sys,dev,tmp,run,media,mnt,opt,usr/lib/velto-vm}

# The device's install tree; /usr/velto itself comes from the state disk.
DESTDIR= cmake --install "$BUILD" --prefix "$R" >/dev/null
mv "$R/usr/velto" "$R/opt/velto"
mkdir -p "$R/usr/velto"

# dosfstools (mkdosfs where the firmware runs it), then busybox for the rest.
dpkg-deb -x "$dosfs_deb" "$R"
ln -sfn /sbin/mkfs.fat "$R/usr/bin/mkdosfs"

# The programs without their debug information, which the device never reads.
find "$R/opt/velto" "$R/sbin" -maxdepth 1 -type f -perm -u+x | while read -r exe; do
    file -b "$exe" | grep -q '^ELF' && $TRIPLET-strip "$exe"
done

# Runtime libraries the programs need, from the toolchain's C and C++ runtime
# and the sysroot.
LIBDIRS=(/usr/$TRIPLET/lib "$BUILD/sysroot/lib/$TRIPLET" "$BUILD/sysroot/usr/lib/$TRIPLET")
needed() { $TRIPLET-readelf -d "$1" 2>/dev/null | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; }
queue=$(find "$R/opt/velto" "$R/sbin" -maxdepth 1 -type f -perm -u+x | while read -r exe; do
    needed "$exe"; done | sort -u)
declare -A have=()
while [ -n "$queue" ]; do
    next=
    for lib in $queue; do
        [ -n "${have[$lib]:-}" ] && continue
        have[$lib]=1
        found=
        for d in "${LIBDIRS[@]}"; do
            [ -e "$d/$lib" ] && { found=$d/$lib; break; }
        done
        [ -n "$found" ] || die "library $lib not found"
        cp -L "$found" "$R/lib/$lib"
        next="$next $(needed "$R/lib/$lib")"
    done
    queue=$next
done
ln -sfn lib "$R/lib/$TRIPLET"

# busybox for the rest of the commands.
dpkg-deb -x "$busybox_deb" "$OUT/busybox"
cp "$OUT/busybox/bin/busybox" "$R/bin/busybox"
rm -rf "$OUT/busybox"
while read -r applet; do
    [ -e "$R/$applet" ] || [ -L "$R/$applet" ] || ln -s /bin/busybox "$R/$applet"
done < <(qemu-arm "$R/bin/busybox" --list-full)

# Kernel modules the fixture loads, with what they depend on.
depmod -b "$KX" "$KVER" 2>/dev/null
MODS="virtio_mmio virtio_blk virtio_console crc32c_generic ext4 loop vfat nls_cp437 nls_ascii
      nls_iso8859_1 nls_utf8 evdev bochs
      xhci_pci usbhid hid_generic sdhci_pci cuse configfs libcomposite usb_f_mass_storage
      dummy_hcd usb_storage sd_mod vivid"
M=$KX/lib/modules/$KVER
for mod in $MODS; do
    path=$(find "$M/kernel" -regex ".*/${mod//_/[-_]}\.ko" | head -n1)
    [ -n "$path" ] || die "module $mod not in $KVER"
    rel=${path#"$M"/}
    echo "$rel"
    grep "^$rel:" "$M/modules.dep" | cut -d: -f2 | tr ' ' '\n' | sed '/^$/d'
done | sort -u | while read -r rel; do
    mkdir -p "$R/lib/modules/$KVER/$(dirname "$rel")"
    cp "$M/$rel" "$R/lib/modules/$KVER/$rel"
done
cp "$M"/modules.order "$M"/modules.builtin* "$R/lib/modules/$KVER/" 2>/dev/null || true
depmod -b "$R" "$KVER"

# The board fixture.
for f in fixture devns camera camport automount agent board nandformat; do
    install -m 755 "$HERE/$f" "$R/usr/lib/velto-vm/$f"
done
install -m 755 "$HERE/init" "$R/init"
for c in otgnode vividctl; do
    $TRIPLET-gcc -O2 -Wall -static -o "$R/usr/lib/velto-vm/$c" "$HERE/$c.c" ||
        die "cannot build $c"
done
echo "root:x:0:0:root:/:/bin/sh" >"$R/etc/passwd"
echo "root:x:0:" >"$R/etc/group"

cp "$KX/boot/vmlinuz-$KVER" "$OUT/vmlinuz"
(cd "$R" && find . | cpio -o -H newc -R 0:0 --quiet | gzip -1) >"$OUT/initrd.gz.new"
mv "$OUT/initrd.gz.new" "$OUT/initrd.gz"
echo "$stamp" >"$OUT/stamp"
log "ready: $OUT ($(du -h "$OUT/initrd.gz" | cut -f1))"
