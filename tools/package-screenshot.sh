#!/usr/bin/env bash
# Takes a picture of the viewer's window on a virtual X display: starts
# VIEWER in FOLDER, clicks the first map of the file list, types MAP's name
# to move to it, and saves the window (cut from the whole screen) as PNG.
# Used for the AppStream screenshot and by the package checks.
#   tools/package-screenshot.sh VIEWER FOLDER MAP OUT.png
set -euo pipefail
if (($# != 4)); then
    echo "usage: $0 VIEWER FOLDER MAP OUT.png" >&2
    exit 2
fi
viewer=$(realpath "$1") out=$(realpath "$4") map=$3
cd "$2"
xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
    "$1" & viewer=$!
    trap "kill $viewer" EXIT
    window=$(xdotool search --sync --onlyvisible --name "Tarvex" | head -n 1)
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The first line of the file list, under the toolbar and the folder list.
    xdotool mousemove $((X + 30)) $((Y + 188)) click 1
    xdotool type --delay 50 "${3%.map}"
    sleep 2
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"' sh "$viewer" "$out" "$map"
