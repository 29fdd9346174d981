#!/usr/bin/env bash
# Installs the Debian package with apt on a bare Debian 12 (debootstrap's minbase variant), as on a
# machine that has never seen Varnook, and starts both programs there:
#   varnook --version and varnook-cli --help, without a display
#   varnook-cli check as a user: the data file is looked for in ~/.local/share/Varnook
#   varnook offscreen, as a user and as root, until it waits at its first-run box: data.enc made
#   (one empty line) in the user's data folder, never beside the programs, the program still running
# The bare root is made once and kept as a tarball (VARNOOK_BARE_ROOT, default
# /var/tmp/varnook-pkg/bookworm-minbase.tar); each run unpacks a fresh copy and removes it at the end.
# Needs root and debootstrap. Usage: tools/check-deb-install.sh [PACKAGE.deb]   (default: build/varnook_*.deb)
set -uo pipefail
source_tree="$(cd "$(dirname "$0")/.." && pwd)"
tarball="${VARNOOK_BARE_ROOT:-/var/tmp/varnook-pkg/bookworm-minbase.tar}"
mirror="${VARNOOK_DEBIAN_MIRROR:-http://deb.debian.org/debian}"

fail() {
    echo "check-deb-install.sh: $*" >&2
    exit 1
}
[[ $(id -u) -eq 0 ]] || fail "needs root (debootstrap, chroot, mounts)"

if [[ $# -ge 1 ]]; then
    package="$1"
else
    package=$(ls "$source_tree"/build/varnook_*.deb 2>/dev/null | head -n 1)
fi
[[ -f "$package" ]] || fail "no package: build one with make deb, or name it"
package="$(cd "$(dirname "$package")" && pwd)/$(basename "$package")"

if [[ ! -f "$tarball" ]]; then
    command -v debootstrap >/dev/null || fail "debootstrap is not installed"
    echo "== making the bare root once (debootstrap --variant=minbase bookworm), kept as $tarball"
    fresh=$(mktemp -d /var/tmp/varnook-minbase.XXXXXX)
    debootstrap --variant=minbase bookworm "$fresh" "$mirror" >"$fresh.log" 2>&1 || fail "debootstrap failed: see $fresh.log"
    mkdir -p "$(dirname "$tarball")"
    tar -C "$fresh" --numeric-owner -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
    rm -rf "$fresh" "$fresh.log"
fi

root=$(mktemp -d /var/tmp/varnook-deb-root.XXXXXX)
mounts=(proc sys dev dev/pts dev/shm)
cleanup() {
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "$root/${mounts[$i]}" 2>/dev/null || true; done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
tar -C "$root" -xf "$tarball" || fail "cannot unpack $tarball"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
mount -t devpts devpts "$root/dev/pts" 2>/dev/null || true
mount -t tmpfs tmpfs "$root/dev/shm"

in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
as_user() { chroot "$root" /usr/sbin/runuser -u jo -- /usr/bin/env -i HOME=/home/jo PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }

failures=0
check() { # check NAME COMMAND...: runs the command, says passed or FAILED
    local name=$1
    shift
    if "$@"; then
        echo "   passed: $name"
    else
        echo "   FAILED: $name"
        failures=$((failures + 1))
    fi
}

echo "== bare root: $(in_root dpkg-query -W -f='.\n' | wc -l) packages"
cp "$package" "$root/tmp/"
echo "== apt install ./$(basename "$package")"
in_root apt-get update -qq || fail "apt-get update failed in the bare root"
before=$(in_root dpkg-query -W -f='.\n' | wc -l)
if ! in_root sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt install -y -q ./$(basename "$package")" \
    >"$root/tmp/apt.log" 2>&1; then
    tail -n 30 "$root/tmp/apt.log"
    fail "apt could not install the package"
fi
after=$(in_root dpkg-query -W -f='.\n' | wc -l)
echo "   installed: $(in_root dpkg-query -W -f='${Package} ${Version} ${Status}' varnook), with $((after - before - 1)) packages it needs"
in_root useradd -m jo

echo "== the package's files"
for file in /usr/bin/varnook /usr/bin/varnook-cli /usr/share/varnook/Help.rtf /usr/share/applications/varnook.desktop \
    /usr/share/icons/hicolor/48x48/apps/varnook.png /usr/share/icons/hicolor/scalable/apps/varnook.svg; do
    check "$file" test -f "$root$file"
done
check "metainfo in /usr/share/metainfo" sh -c "ls '$root'/usr/share/metainfo/*.metainfo.xml >/dev/null"

echo "== varnook --version (no display)"
version=$(as_user timeout 30 varnook --version 2>"$root/tmp/version.err")
status=$?
echo "   exit $status: ${version:-$(head -c 300 "$root/tmp/version.err")}"
check "varnook --version prints the name and version and exits 0" \
    test "$status" -eq 0 -a "${version%% *}" = "Varnook"

echo "== varnook-cli --help"
help=$(as_user varnook-cli --help)
status=$?
echo "   exit $status: $(echo "$help" | head -n 1)"
check "varnook-cli --help exits 0 with its usage" test "$status" -eq 0 -a "${help:0:19}" = "Usage: varnook-cli "

echo "== varnook-cli check as a user"
message=$(as_user varnook-cli check 2>&1)
status=$?
echo "   exit $status: $message"
check "it looks in ~/.local/share/Varnook" \
    test "$status" -eq 3 -a "$message" = "There is no data file in this folder: /home/jo/.local/share/Varnook"

# Starts the program offscreen for 40 s and looks every second for the file of its first start;
# it must be still running when the time is up (timeout's exit 124): it waits at the creation box.
first_start() { # first_start WHO HOME RUNNER
    local who=$1 home=$2 runner=$3 data="$root$2/.local/share/Varnook/data.enc" made=no
    $runner env QT_QPA_PLATFORM=offscreen timeout 40 varnook \
        >"$root/tmp/run-$who.log" 2>&1 &
    local runner_pid=$!
    for _ in $(seq 40); do
        sleep 1
        if [[ -f "$data" && "$(od -An -c "$data" | tr -d ' ')" == '\r\n' && -f "$data.lock" ]]; then
            made=yes
            break
        fi
    done
    wait "$runner_pid"
    local status=$?
    echo "   data.enc in $home/.local/share/Varnook: $made; exit after 40 s: $status (124: still running)"
    [[ -s "$root/tmp/run-$who.log" ]] && sed 's/^/   log: /' "$root/tmp/run-$who.log" | head -n 10
    check "$who: first start made its data file and waited at the creation box" test "$made" = yes -a "$status" -eq 124
    check "$who: nothing was written beside the programs" \
        test ! -e "$root/usr/bin/data.enc" -a ! -e "$root/usr/share/varnook/data.enc"
}
echo "== varnook offscreen as a user, until its first-run box"
first_start user /home/jo as_user
echo "== varnook offscreen as root, until its first-run box"
# Qt WebEngine refuses to start as root with its sandbox on.
as_root() {
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        QTWEBENGINE_DISABLE_SANDBOX=1 "$@"
}
first_start root /root as_root

if [[ $failures -eq 0 ]]; then
    echo "== the package installs and runs on a bare Debian 12"
else
    echo "== $failures check(s) failed"
    exit 1
fi
