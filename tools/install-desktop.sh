#!/usr/bin/env bash
# Installs Varnook for the current user, so that it appears in the desktop's menu:
#   the program folder     ~/.local/opt/varnook   (varnook, varnook-cli, Help.rtf; data.enc is made there)
#   the menu entry         ~/.local/share/applications/varnook.desktop   (the Debian package's, run from here)
#   the icon               ~/.local/share/icons/hicolor/<size>/apps/varnook.png
#
#   tools/install-desktop.sh [BUILD_DIR]   in the source tree: builds (in BUILD_DIR, default build) and installs
#   ./install-desktop.sh                   in an unpacked package: installs the folder it sits in
#   ... --uninstall                        removes the programs, the menu entry and the icon, never data.enc
#
# No root rights are needed. Installing again updates the programs and keeps data.enc.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix="$HOME/.local/opt"
dest="$prefix/varnook"
share="${XDG_DATA_HOME:-$HOME/.local/share}"
entry="$share/applications/varnook.desktop"
# What the program folder holds besides data.enc, which belongs to the user.
program_files=(varnook varnook-cli Help.rtf varnook.png varnook.desktop install-desktop.sh README.md)

fail() {
    echo "install-desktop.sh: $*" >&2
    exit 1
}

# A path as a quoted argument of a desktop entry's Exec key.
exec_argument() {
    local quoted=$1
    quoted=${quoted//\\/\\\\}
    quoted=${quoted//\"/\\\"}
    quoted=${quoted//\`/\\\`}
    quoted=${quoted//\$/\\\$}
    quoted=${quoted//%/%%}
    # The entry's own string escaping doubles every backslash once more.
    quoted=${quoted//\\/\\\\}
    printf '"%s"' "$quoted"
}

# Width and height of a PNG image, or nothing when the file is not one.
png_size() {
    local bytes
    read -r -a bytes <<<"$(od -An -tu1 -N24 -v -w24 "$1" 2>/dev/null)" || return 0
    [[ ${#bytes[@]} -eq 24 && ${bytes[1]} -eq 80 && ${bytes[2]} -eq 78 && ${bytes[3]} -eq 71 ]] || return 0
    echo $(((bytes[16] << 24) | (bytes[17] << 16) | (bytes[18] << 8) | bytes[19])) \
        $(((bytes[20] << 24) | (bytes[21] << 16) | (bytes[22] << 8) | bytes[23]))
}

# Where the icon goes: the icon theme's folder of its size, else beside the theme (named by its path then).
icon_path() {
    local size
    read -r -a size <<<"$(png_size "$1")" || true
    if [[ ${#size[@]} -eq 2 && ${size[0]} -eq ${size[1]} ]]; then
        case ${size[0]} in
        16 | 22 | 24 | 32 | 48 | 64 | 96 | 128 | 256 | 512)
            echo "$share/icons/hicolor/${size[0]}x${size[0]}/apps/varnook.png"
            return
            ;;
        esac
    fi
    echo "$share/icons/varnook.png"
}

refresh_menu() {
    if command -v update-desktop-database >/dev/null 2>&1; then
        update-desktop-database -q "$share/applications" 2>/dev/null || true
    fi
}

uninstall() {
    rm -f "$entry"
    rm -f "$share"/icons/hicolor/*/apps/varnook.png "$share/icons/varnook.png"
    for file in "${program_files[@]}"; do
        rm -f "$dest/$file"
    done
    refresh_menu
    if [[ -e "$dest/data.enc" ]]; then
        echo "Varnook is removed. Your data file is kept: $dest/data.enc"
    else
        rmdir "$dest" 2>/dev/null || true
        echo "Varnook is removed."
    fi
}

install_from_folder() {
    [[ "$here" == "$(cd "$dest" && pwd)" ]] && return
    for file in "${program_files[@]}"; do
        [[ -e "$here/$file" ]] || continue
        if [[ -x "$here/$file" ]]; then
            install -m 755 "$here/$file" "$dest/$file"
        else
            install -m 644 "$here/$file" "$dest/$file"
        fi
    done
}

install_from_source() {
    local root build
    root=$(cd "$here/.." && pwd)
    build=${1:-$root/build}
    [[ -f "$root/CMakeLists.txt" ]] || fail "run me from the source tree's tools folder or from an unpacked package"
    command -v cmake >/dev/null 2>&1 || fail "cmake is needed to build Varnook (make deps installs it)"
    if [[ ! -f "$build/CMakeCache.txt" ]]; then
        local generator=()
        command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
        cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$build" --target varnook varnook-cli
    cmake --install "$build" --prefix "$prefix"
}

# The package's menu entry (varnook.desktop in the program folder), with this folder's program and the
# icon: by its name where it went into the icon theme, else by its path.
write_entry() {
    local icon=$1 line
    [[ "$icon" == "$share"/icons/hicolor/*/apps/varnook.png ]] && icon=varnook
    mkdir -p "$(dirname "$entry")"
    while IFS= read -r line; do
        case $line in
        Exec=*) echo "Exec=$(exec_argument "$dest/varnook")" ;;
        Icon=*) if [[ -n "$icon" ]]; then echo "Icon=$icon"; fi ;;
        *) echo "$line" ;;
        esac
    done <"$dest/varnook.desktop" >"$entry.new"
    mv -f "$entry.new" "$entry"
}

[[ -n "${HOME:-}" ]] || fail "HOME is not set"
if [[ "${1:-}" == "--uninstall" ]]; then
    uninstall
    exit 0
fi

mkdir -p "$dest"
if [[ -x "$here/varnook" && -x "$here/varnook-cli" ]]; then
    install_from_folder
else
    install_from_source "$@"
fi
[[ -x "$dest/varnook" ]] || fail "the program was not installed in $dest"
[[ -f "$dest/varnook.desktop" ]] || fail "the menu entry varnook.desktop is missing in $dest"

icon=""
if [[ -f "$dest/varnook.png" ]]; then
    icon=$(icon_path "$dest/varnook.png")
    rm -f "$share"/icons/hicolor/*/apps/varnook.png "$share/icons/varnook.png"
    mkdir -p "$(dirname "$icon")"
    install -m 644 "$dest/varnook.png" "$icon"
fi
write_entry "$icon"
refresh_menu

echo "Varnook is installed in $dest"
echo "Menu entry: $entry"
echo "Start it from the desktop's menu, or run $dest/varnook"
