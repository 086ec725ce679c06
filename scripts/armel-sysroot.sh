#!/bin/bash
# Prepares everything the board (armel) cross-build needs on a Debian 12 host:
#   - host tools: the arm-linux-gnueabi cross compiler, qemu-arm, file, the
#     googletest sources, the free fonts the device's install tree carries;
#   - a sysroot with the armel runtime and -dev packages of every library the
#     firmware links, unpacked from Debian's own .debs;
#   - googletest and googlemock cross-built into that sysroot.
#
# Usage: scripts/armel-sysroot.sh [SYSROOT]   (default: build-armel/sysroot)
#
# Multiarch installs (libpng-dev:armel ...) are avoided on purpose: they fail
# whenever the host's packages come from a newer point release than the armel
# ones. The packages are resolved with a private apt state for armel instead,
# so the host's dpkg configuration is never touched.
#
# Idempotent: a second run with the same package versions only re-checks.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
SYSROOT=${1:-$ROOT/build-armel/sysroot}
mkdir -p "$SYSROOT"
SYSROOT=$(cd "$SYSROOT" && pwd)
WORK=$SYSROOT.work
TRIPLET=arm-linux-gnueabi

# Libraries the firmware links on the board; their own library dependencies
# are added by the resolver below.
SEEDS=(libtinyxml2-dev libjpeg62-turbo-dev libjpeg-dev libfreetype-dev libpng-dev
       libgif-dev zlib1g-dev libbrotli-dev libbz2-dev)
# Supplied by the cross toolchain under /usr/$TRIPLET; taking Debian's armel
# copies as well would put two C libraries on the link path.
PROVIDED=" libc6 libc6-dev libc-dev-bin libgcc-s1 libstdc++6 gcc-12-base libatomic1
           libcrypt1 libcrypt-dev linux-libc-dev "

log() { echo "armel-sysroot: $*"; }
die() { echo "armel-sysroot: error: $*" >&2; exit 1; }

install_host_tools() {
    local missing=()
    command -v ${TRIPLET}-g++ >/dev/null || missing+=(crossbuild-essential-armel)
    command -v qemu-arm >/dev/null || missing+=(qemu-user)
    command -v file >/dev/null || missing+=(file)
    command -v cmake >/dev/null || missing+=(cmake)
    command -v make >/dev/null || missing+=(make)
    [ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
    # The fonts that the device's install tree carries.
    [ -f /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf ] ||
        missing+=(fonts-liberation)
    [ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || missing+=(fonts-wqy-microhei)
    [ ${#missing[@]} -eq 0 ] && return
    [ "$(id -u)" -eq 0 ] || die "need root to install: ${missing[*]}"
    log "installing host packages: ${missing[*]}"
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# apt with its own state, seeing only armel packages from the host's sources.
APT_OPTS=(-o APT::Architecture=armel -o APT::Architectures::=armel
          -o Dir::State="$WORK/apt/state" -o Dir::State::status="$WORK/apt/state/status"
          -o Dir::Cache="$WORK/apt/cache" -o Debug::NoLocking=1
          -o APT::Sandbox::User=root -q)

private_apt_update() {
    mkdir -p "$WORK/apt/state/lists/partial" "$WORK/apt/cache/archives/partial"
    touch "$WORK/apt/state/status"
    # Third-party sources without armel indices only warn; what counts is that
    # the seeds resolve afterwards.
    apt-get "${APT_OPTS[@]}" update >"$WORK/apt-update.log" 2>&1 || true
}

# Prints "name=version" for the seeds and their Depends/Pre-Depends closure,
# stopping at what the toolchain provides and skipping virtual packages.
resolve_packages() {
    local -A seen=()
    local queue=("${SEEDS[@]}") pkg dep version
    while [ ${#queue[@]} -gt 0 ]; do
        pkg=${queue[0]}
        queue=("${queue[@]:1}")
        [ -n "${seen[$pkg]:-}" ] && continue
        seen[$pkg]=1
        version=$(apt-cache "${APT_OPTS[@]}" show --no-all-versions "$pkg" 2>/dev/null |
                  sed -n 's/^Version: //p' | head -n1)
        [ -n "$version" ] || die "package $pkg:armel not found (see $WORK/apt-update.log)"
        echo "$pkg=$version"
        while read -r dep; do
            case "$PROVIDED" in *" $dep "*) continue ;; esac
            [ -z "${seen[$dep]:-}" ] && queue+=("$dep")
        done < <(apt-cache "${APT_OPTS[@]}" depends --no-recommends --no-suggests \
                     --no-conflicts --no-breaks --no-replaces --no-enhances "$pkg" |
                 sed -n 's/^ *|\{0,1\}\(Pre\)\{0,1\}Depends: \([^<][^ ]*\)$/\2/p')
    done | sort
}

# Debian's packages hold absolute symlinks (libfoo.so -> /lib/...); inside a
# sysroot they must point into the sysroot, so they are made relative.
fix_absolute_links() {
    local link target rel
    while IFS= read -r -d '' link; do
        target=$(readlink "$link")
        case "$target" in /*) ;; *) continue ;; esac
        rel=$(realpath -m --relative-to="$(dirname "$link")" "$SYSROOT$target")
        ln -sfn "$rel" "$link"
    done < <(find "$SYSROOT" -type l -print0)
}

unpack_packages() {
    local list=$1 debs=$WORK/debs
    mkdir -p "$debs"
    local names=()
    while IFS= read -r line; do names+=("$line"); done <"$list"
    (cd "$debs" && apt-get "${APT_OPTS[@]}" download "${names[@]}") ||
        die "download of the armel packages failed"
    # A fresh tree, so packages dropped from the list leave nothing behind.
    find "$SYSROOT" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
    local name deb
    for entry in "${names[@]}"; do
        name=${entry%%=*}
        deb=$(ls "$debs/${name}_"*_armel.deb 2>/dev/null | head -n1)
        [ -n "$deb" ] || die "no .deb for $entry"
        dpkg-deb -x "$deb" "$SYSROOT"
    done
    fix_absolute_links
}

# googletest for armel, built from the sources Debian ships, with the same
# toolchain file the project uses.
build_googletest() {
    local build=$WORK/googletest
    rm -rf "$build"
    cmake -S /usr/src/googletest -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-armel.cmake" \
        -DVELTO_ARMEL_SYSROOT="$SYSROOT" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$SYSROOT/usr" -DCMAKE_INSTALL_LIBDIR=lib/$TRIPLET \
        -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON >"$WORK/googletest.log" 2>&1 ||
        die "configuring googletest failed (see $WORK/googletest.log)"
    cmake --build "$build" -j"$(nproc)" >>"$WORK/googletest.log" 2>&1 ||
        die "building googletest failed (see $WORK/googletest.log)"
    cmake --install "$build" >>"$WORK/googletest.log" 2>&1 ||
        die "installing googletest failed (see $WORK/googletest.log)"
}

install_host_tools
mkdir -p "$WORK"
private_apt_update

STAMP=$SYSROOT/.velto-sysroot
WANTED=$WORK/wanted
if ! resolve_packages >"$WANTED.new"; then
    # Offline with a sysroot that is already complete: keep it.
    [ -f "$STAMP" ] && { log "package lists unavailable, keeping $SYSROOT"; exit 0; }
    die "cannot resolve the armel packages"
fi
echo "googletest=$(dpkg-query -W -f='${Version}' googletest)" >>"$WANTED.new"
echo "script=$(cat "$0" "$ROOT/cmake/toolchain-armel.cmake" | sha256sum | cut -c1-16)" >>"$WANTED.new"
mv "$WANTED.new" "$WANTED"

if [ -f "$STAMP" ] && cmp -s "$STAMP" "$WANTED"; then
    log "up to date: $SYSROOT"
    exit 0
fi

grep -v -e '^googletest=' -e '^script=' "$WANTED" >"$WORK/debs.list"
log "unpacking $(wc -l <"$WORK/debs.list") armel packages into $SYSROOT"
unpack_packages "$WORK/debs.list"
log "cross-building googletest"
build_googletest
cp "$WANTED" "$STAMP"
log "ready: $SYSROOT"
