#!/usr/bin/env bash
# Checks the README's two commands on a bare Debian 12 (debootstrap's minbase variant), as root and
# as a user with sudo: the test command must pass, and the run command must start the program.
# The user's run reuses root's build folder, so it checks the installs through sudo and the suite
# without root rights (the web engine's sandbox on).
# Needs root and debootstrap. Usage: tools/check-fresh-debian.sh [ROOT_FOLDER]
set -euo pipefail
source_tree="$(cd "$(dirname "$0")/.." && pwd)"
root="${1:-/var/tmp/varnook-fresh-debian}"

if [[ ! -x "$root/usr/bin/apt-get" ]]; then
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

mounts=(proc sys dev dev/pts dev/shm)
cleanup() {
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "$root/${mounts[$i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
mount -t devpts devpts "$root/dev/pts" 2>/dev/null || true
mount -t tmpfs tmpfs "$root/dev/shm"

# The committed tree, as a clean clone would have it.
rm -rf "$root/opt/varnook"
git -C "$source_tree" archive --format=tar --prefix=varnook/ HEAD | tar -x -C "$root/opt"

in_root() { chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

echo "== as root: ./make.sh test"
in_root bash -c 'cd /opt/varnook && ./make.sh test'

echo "== as root: ./make.sh run (offscreen; it must still be running after 20 s)"
in_root bash -c 'cd /opt/varnook && QT_QPA_PLATFORM=offscreen timeout 20 ./make.sh run; test $? -eq 124'

echo "== as a user with sudo: ./make.sh test (make and one package removed, so sudo must install them)"
in_root bash -c 'apt-get install -y -qq sudo >/dev/null && (id jo >/dev/null 2>&1 || useradd -m jo) &&
    echo "jo ALL=(ALL) NOPASSWD: ALL" > /etc/sudoers.d/jo && chown -R jo: /opt/varnook &&
    apt-get remove -y -qq make xdg-utils >/dev/null'
chroot "$root" /usr/bin/env -i HOME=/home/jo PATH=/usr/bin:/bin LANG=C.UTF-8 \
    su jo -c 'cd /opt/varnook && ./make.sh test'
echo "== the README's commands pass on a bare Debian 12"
