#!/usr/bin/env bash
# Runs a test program on an X server of its own with a window manager, as on a desktop: raising and
# activating windows is the window manager's decision, which the offscreen platform cannot show.
# Exits 77 (skipped) when Xvfb or openbox is missing.
set -uo pipefail

if ! command -v Xvfb >/dev/null || ! command -v openbox >/dev/null; then
    echo "with-window-manager.sh: Xvfb or openbox is not installed; skipped" >&2
    exit 77
fi

workdir=$(mktemp -d)
cleanup() {
    [[ -n "${wm_pid:-}" ]] && kill "$wm_pid" 2>/dev/null
    [[ -n "${x_pid:-}" ]] && kill "$x_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$workdir"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to the pipe.
mkfifo "$workdir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$workdir/display" >/dev/null 2>&1 &
x_pid=$!
read -r -t 20 display <"$workdir/display" || { echo "with-window-manager.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

HOME="$workdir" openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
# openbox marks the root window once it manages the screen.
for _ in $(seq 100); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        break
    fi
    sleep 0.1
done

export QT_QPA_PLATFORM=xcb
"$@"
