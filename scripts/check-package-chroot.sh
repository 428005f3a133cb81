#!/usr/bin/env bash
# Tries a Debian package of ours in a clean Debian 12 made with debootstrap:
# scripts/try-package.sh runs inside it (apt-get install, the checks,
# remove, purge, autoremove). Needs root, debootstrap and Debian's package
# servers; takes minutes, so CI does not run it. man-db is added to the
# minimal system so that the manual page is checked too.
#
#   scripts/check-package-chroot.sh PACKAGE.deb [CHROOT_DIR]
# CHROOT_DIR is made when it does not exist and kept when it is given, so
# that a second try starts faster; without it a temporary one is removed.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mirror=http://deb.debian.org/debian

fail() {
    echo "check-package-chroot: $*" >&2
    exit 1
}

[ $# -ge 1 ] && [ $# -le 2 ] || fail "usage: check-package-chroot.sh PACKAGE.deb [CHROOT_DIR]"
deb=$(realpath "$1")
[ -f "$deb" ] || fail "$deb is missing"
[ "$(id -u)" -eq 0 ] || fail "run as root: debootstrap and chroot need it"
command -v debootstrap >/dev/null || [ -x /usr/sbin/debootstrap ] ||
    fail "debootstrap is missing (Debian package debootstrap)"

keep=true
if [ $# -eq 2 ]; then
    target=$2
else
    target=$(mktemp -d /var/tmp/tallowick-chroot.XXXXXX)
    keep=false
fi
mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null || true
    done
    if ! $keep; then rm -rf --one-file-system "$target"; fi
}
trap cleanup EXIT

if [ ! -f "$target/etc/debian_version" ]; then
    echo "check-package-chroot: debootstrap bookworm into $target"
    mkdir -p "$target"
    PATH="$PATH:/usr/sbin" debootstrap --variant=minbase bookworm "$target" "$mirror" \
        >"$target.debootstrap.log" 2>&1 ||
        fail "debootstrap failed; see $target.debootstrap.log"
    rm -f "$target.debootstrap.log"
fi
# A Debian 12 as users have it: with its security and point-release updates.
cat >"$target/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES

for point in proc sys dev/pts; do
    mkdir -p "$target/$point"
done
mount -t proc proc "$target/proc" && mounted+=("$target/proc")
mount -t sysfs sysfs "$target/sys" && mounted+=("$target/sys")
mount -t devpts devpts "$target/dev/pts" && mounted+=("$target/dev/pts")
cp /etc/resolv.conf "$target/etc/resolv.conf"

check="$target/tmp/package-check"
rm -rf "$check" && mkdir -p "$check"
cp "$deb" "$here/try-package.sh" "$here/check-manual.sh" "$check/"
in_chroot() {
    chroot "$target" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"
}
in_chroot sh -c 'DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends man-db' \
    >"$check.prepare.log" 2>&1 || fail "apt-get in the chroot failed: $(cat "$check.prepare.log")"
in_chroot /tmp/package-check/try-package.sh "/tmp/package-check/$(basename "$deb")" --autoremove
echo "check-package-chroot: $(basename "$deb") installs, works and leaves nothing in a clean Debian $(cat "$target/etc/debian_version")"
