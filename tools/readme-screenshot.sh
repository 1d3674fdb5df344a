#!/usr/bin/env bash
# Takes the README's picture of the window following the player, from the
# real viewer on a virtual X display: the stand-in client walks on the sample
# map Harbor2.map, tarvex-find finds the pointer path to its position, a
# tracking file keeps it, and the viewer, started with --track on that file,
# follows the player, zoomed in, for a few seconds (its trail shows); the
# window is then saved as PNG.
#   bash tools/readme-screenshot.sh [BUILD [OUT.png]]    (build, doc/screenshot.png)
# BUILD is a build folder with the viewer, tarvex-find, the stand-in client
# and the sample maps built (bash tools/setup.sh run builds them).
#
# All of it runs in a process namespace of its own, so that the window's
# process list holds the few processes of this picture (the client, the
# viewer, the X server) rather than the machine's; where no such namespace
# can be made it runs beside the machine's processes.
set -euo pipefail
self=$(realpath "$0")

if [[ ${1:-} == --inside ]]; then
    build=$2 out=$3
    scratch=$(mktemp -d)
    client=
    cleanup() {
        [[ -z $client ]] || kill "$client" 2>/dev/null || true
        rm -rf "$scratch"
    }
    trap cleanup EXIT
    # The stand-in keeps the position behind two pointers from a global
    # variable, as a game client keeps it, and prints where it is this time.
    # It runs as a copy named demo_client, so that no other stand-in client
    # running on the machine (the tests') is taken for it.
    cp "$build/bin/stand_in_client" "$scratch/demo_client"
    cd "$build/samples"
    "$scratch/demo_client" --map Harbor2.map --chained --seconds 120 >"$scratch/client.txt" &
    client=$!
    for _ in $(seq 50); do [[ -s $scratch/client.txt ]] && break; sleep 0.1; done
    read -r _ pid _ address <"$scratch/client.txt"
    [[ $pid == "$client" ]] || { echo "the stand-in client did not start: $(cat "$scratch/client.txt")" >&2; exit 1; }
    path=$("$build/bin/tarvex-find" "$pid" --paths "$address" | head -n 1)
    [[ -n $path ]] || { echo "no pointer path to the stand-in's position" >&2; exit 1; }
    printf '# Tarvex tracking file\nprogram=demo_client\npath=%s\n' "$path" >"$scratch/demo_client.tarvex-track"
    echo "following $path in process $pid"

    xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
        "$1" --language en --track "$2" Harbor2.map & viewer=$!
        trap "kill $viewer" EXIT
        window=$(xdotool search --sync --onlyvisible --name "Tarvex" | head -n 1)
        xdotool windowsize "$window" 960 720 windowmove "$window" 0 0
        sleep 2
        # Zoomed in: the ring around the player and its trail show.
        xdotool windowfocus --sync "$window"
        for _ in 1 2 3 4 5 6; do xdotool key ctrl+plus; sleep 0.3; done
        xdotool mousemove 700 500
        sleep 8
        eval "$(xdotool getwindowgeometry --shell "$window")"
        import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$3"' \
        sh "$build/bin/tarvex-viewer" "$scratch/demo_client.tarvex-track" "$out"
    exit 0
fi

cd "$(dirname "$self")/.."
build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-doc/screenshot.png}")
source tools/packages.sh
EnsurePackages xvfb xauth xdotool imagemagick fonts-wqy-zenhei
for program in tarvex-viewer tarvex-find stand_in_client; do
    [[ -x $build/bin/$program ]] || { echo "$build/bin/$program is not built" >&2; exit 1; }
done
namespace=(unshare --pid --fork --mount-proc)
[[ $(id -u) -eq 0 ]] || namespace=(unshare --map-root-user --pid --fork --mount-proc)
if "${namespace[@]}" true 2>/dev/null; then
    "${namespace[@]}" bash "$self" --inside "$build" "$out"
else
    echo "no process namespace could be made: the process list shows the machine's processes" >&2
    bash "$self" --inside "$build" "$out"
fi
echo "wrote $out ($(identify -format '%wx%h' "$out"))"
