#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, when they are missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools libgl-dev
    qt6-qpa-plugins qt6-wayland fonts-dejavu-core
    help2man # the man pages are made from the programs' own --help
    libsodium-dev # the protected form of the data file: Argon2id and XChaCha20-Poly1305
    xdg-utils # Go To opens locations with xdg-open
    xvfb openbox x11-utils xdotool # one test brings windows forward under a real X server and window manager
    time # the benchmark's child-process runner reads peaks from GNU time, and its tests run it
    syncthing # one test syncs the program's folder between two Syncthing instances on 127.0.0.1
    qt6-svg-dev # the icon's sizes above its bitmap's are drawn from its SVG picture at build time
    dpkg-dev lintian # make deb: the package's dependencies (dpkg-shlibdeps), and its check
    appstream desktop-file-utils # the tests validate the software centres' metadata and the menu entry
    sway wtype # one test runs the program under a headless Wayland compositor and types into it
)
if [[ "${VARNOOK_WITH_FORMAT:-0}" == 1 ]]; then
    packages+=(clang-format git)
fi
if [[ "${VARNOOK_WITH_BENCH:-0}" == 1 ]]; then
    # make bench: its own X server, the XTest client library it clicks with, and KeePassXC's command-line tool as
    # the baseline of varnook-cli export.
    packages+=(xvfb libxcb1-dev libxcb-xtest0-dev keepassxc)
fi
if [[ "${VARNOOK_WITH_FUZZ:-0}" == 1 ]]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null; then
        echo "install-deps.sh: installing ${missing[*]} needs root rights: run it as root or install sudo" >&2
        exit 1
    fi
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
# sudo drops the environment, so the front end is set on apt-get's own command line.
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
