#!/bin/sh
# The README's entry point on a fresh Debian 12 machine, where even make may be missing:
# installs make when needed, then runs make with the given targets (run, test, ...).
# Works as root and as a user with sudo.
set -eu
cd "$(dirname "$0")"

if ! command -v make >/dev/null 2>&1; then
    if [ "$(id -u)" -eq 0 ]; then
        sudo=""
    elif command -v sudo >/dev/null 2>&1; then
        sudo="sudo"
    else
        echo "make.sh: installing packages needs root rights: run it as root or install sudo" >&2
        exit 1
    fi
    echo "Installing: make"
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq make
fi
exec make "$@"
