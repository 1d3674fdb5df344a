#!/usr/bin/env bash
# Builds both packages, unpacks the Debian package into a scratch root and
# checks what it installs; then starts the installed viewer through a link
# and sees it read the "MapInfo.txt" beside its real self.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
EnsurePackages desktop-file-utils xvfb xauth xdotool
bash tools/package.sh

passes=0 failures=0
check() { # description, command...
    if "${@:2}"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x build/packages/tarvex-map-viewer_*_amd64.deb "$scratch/root"
program=$scratch/root/opt/tarvex
for file in tarvex-viewer tarvex-map2bmp; do
    check "$file is in /opt/tarvex" test -x "$program/$file"
    check "/usr/bin/$file links to it" test "$(readlink "$scratch/root/usr/bin/$file")" = "/opt/tarvex/$file"
done
check "MapInfo.txt lies beside the viewer" test -s "$program/MapInfo.txt"
check "the README is in the program folder" test -s "$program/README.md"
check "the desktop entry is valid" desktop-file-validate "$scratch/root/usr/share/applications/org.tarvex.MapViewer.desktop"
for size in 16x16 32x32 48x48; do
    check "the $size icon is in the hicolor theme" test -s "$scratch/root/usr/share/icons/hicolor/$size/apps/org.tarvex.MapViewer.png"
done
check "the scalable icon is in the hicolor theme" test -s "$scratch/root/usr/share/icons/hicolor/scalable/apps/org.tarvex.MapViewer.svg"
check "the package depends on Qt's widgets" sh -c "dpkg -I build/packages/tarvex-map-viewer_*_amd64.deb | grep -q 'Depends:.*libqt6widgets6'"
check "the archive holds one program folder" sh -c \
    "tar tzf build/packages/tarvex-map-viewer-*.tar.gz | grep -qE '^tarvex-map-viewer-[^/]*/tarvex-viewer$'"

# The viewer started through a link elsewhere, offscreen: it stays up.
mkdir -p "$scratch/elsewhere" "$scratch/maps"
ln -s "$program/tarvex-viewer" "$scratch/elsewhere/viewer"
status=0
(cd "$scratch/maps" && QT_QPA_PLATFORM=offscreen timeout 5 "$scratch/elsewhere/viewer") || status=$?
check "the installed viewer starts offscreen" test "$status" -eq 124

# Through the same link, a click on a map reads the MapInfo.txt beside the
# real viewer: made a pipe here, so that its writer finishes only once the
# viewer opens it.
cp build/samples/Harbor2.map "$scratch/maps/"
rm "$program/MapInfo.txt"
mkfifo "$program/MapInfo.txt"
(cd "$scratch/maps" && xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    "$1" & viewer=$!
    xdotool search --sync --name "Tarvex" >/dev/null
    sleep 1
    xdotool mousemove 198 281 click 1
    sleep 5
    kill $viewer' sh "$scratch/elsewhere/viewer") &
opened=0
timeout 30 sh -c 'printf "Harbor2 pier\n" > "$1"' sh "$program/MapInfo.txt" && opened=1
wait || true
check "the viewer reads MapInfo.txt beside its real path" test "$opened" -eq 1

ls -l build/packages/*.tar.gz build/packages/*.deb
echo "package-checks: $passes passed, $failures failed"
test "$failures" -eq 0
