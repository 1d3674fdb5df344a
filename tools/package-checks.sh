#!/usr/bin/env bash
# Builds both packages with the README's command and checks them:
# - the portable folder, unpacked, runs with the system's Qt out of reach
#   (hidden in a mount namespace): ldd finds every Qt library in the folder,
#   the exporter converts the sample maps, and the viewer starts offscreen
#   and, under Xvfb, shows a map;
# - the Debian package, installed twice into a scratch root with dpkg, keeps
#   an edited /etc/tarvex/MapInfo.txt; its files, links, desktop entry,
#   AppStream metainfo and manual pages; lintian finds no errors;
# - the installed viewer, started through a link, reads the MapInfo.txt
#   beside its real self;
# - the README's commands for the exporter run as written.
set -euo pipefail
self=$(realpath "$0")
multiarch_libs=/usr/lib/$(gcc -print-multiarch)

# Run as `package-checks.sh --without-qt FOLDER COMMAND...` in a new mount
# namespace: hides the system's Qt libraries and plugins, and every library
# FOLDER/lib carries, then runs COMMAND.
if [[ ${1:-} == --without-qt ]]; then
    folder=$2
    layer=$(mktemp -d)
    mount -t tmpfs without-qt "$layer"
    mkdir "$layer/upper" "$layer/work" "$layer/merged"
    mount -t overlay overlay -o "lowerdir=$multiarch_libs,upperdir=$layer/upper,workdir=$layer/work" "$layer/merged"
    rm -rf "$layer/merged"/libQt6* "$layer/merged/qt6"
    for library in "$folder"/lib/*; do
        rm -f "$layer/merged/${library##*/}"*
    done
    mount --bind "$layer/merged" "$multiarch_libs"
    unset LD_LIBRARY_PATH QT_PLUGIN_PATH QT_QPA_PLATFORM_PLUGIN_PATH
    exec "${@:3}"
fi
cd "$(dirname "$self")/.."
if [[ $(id -u) -eq 0 ]]; then
    new_namespace=(unshare --mount)
else
    new_namespace=(unshare --map-root-user --mount)
fi
without_qt() { # folder, command...
    "${new_namespace[@]}" bash "$self" --without-qt "$@"
}

source tools/packages.sh
EnsurePackages desktop-file-utils xvfb xauth xdotool imagemagick lintian appstream man-db patchelf inotify-tools

# The indented command blocks of the README section with this heading.
readme_commands() {
    awk -v heading="$1" '
        /^#+ / { inside = (substr($0, index($0, " ") + 1) == heading); next }
        inside && /^    / { print substr($0, 5) }' README.md
}
run_readme() { # heading
    local commands
    commands=$(readme_commands "$1")
    [[ -n $commands ]] || { echo "README: no commands under \"$1\"" >&2; return 1; }
    printf '+ %s\n' "$commands"
    bash -euo pipefail -c "$commands"
}
# A picture a user saved in the folder the viewer starts in (build/samples)
# must not go into the packages: they take the sample files by name.
stray=build/samples/saved-by-a-user.bmp
mkdir -p build/samples && echo "a user's picture" >"$stray"
run_readme "Building the packages"
rm -f "$stray"

passes=0 failures=0
check() { # description, command...
    if "${@:2}"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
archive=$(echo build/packages/tarvex-map-viewer-*-Linux-*.tar.gz)
deb=$(echo build/packages/tarvex-map-viewer_*.deb)

# Red pixels in a picture: the blocked cells of a map on screen.
red_pixels() {
    convert "$1" -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' -format '%[fx:int(mean*w*h)]' info:
}

echo "--- the portable folder"
mkdir "$scratch/portable"
tar xzf "$archive" -C "$scratch/portable"
folder=$(realpath "$scratch"/portable/tarvex-map-viewer-*)
size=$(stat -c %s "$archive")
echo "archive: $((size / 1024)) KiB; the folder: $(du -sh "$folder" | cut -f1)"
check "the archive is under 40 MB" test "$size" -lt $((40 * 1000 * 1000))
check "the archive holds one program folder" test "$(tar tzf "$archive" | cut -d/ -f1 | sort -u | wc -l)" -eq 1
check "a file a user left in the sample folder is not in the archive" \
    sh -c '! tar tzf "$1" | grep -q saved-by-a-user' sh "$archive"
for file in tarvex-viewer tarvex-map2bmp tarvex-route tarvex-find tarvex-where qt.conf MapInfo.txt README.md doc/MANUAL.md doc/screenshot.png \
    man/man1/tarvex-viewer.1 man/man1/tarvex-map2bmp.1 man/man1/tarvex-find.1 man/man1/tarvex-route.1 man/man1/tarvex-where.1 \
    lib/libQt6Core.so.6 lib/libQt6Gui.so.6 lib/libQt6Widgets.so.6 lib/libQt6XcbQpa.so.6 \
    plugins/platforms/libqxcb.so plugins/platforms/libqoffscreen.so samples/Harbor2.map samples/more/Crypt.map \
    licenses/libqt6core6.copyright; do
    check "the folder holds $file" test -s "$folder/$file"
done
system_qt_hidden() { ! without_qt "$folder" build/bin/tarvex-map2bmp --help >/dev/null 2>&1; }
check "the system's Qt is out of reach in the check's namespace" system_qt_hidden
# What ldd prints for the programs, libraries and plugins of the folder:
# every library found, those the folder carries found in it.
libraries_resolve_inside() { # folder
    local file name arrow path rest status=0
    for file in "$1/tarvex-viewer" "$1/tarvex-map2bmp" "$1"/lib/* "$1"/plugins/*/*; do
        while read -r name arrow path rest; do
            if [[ $path == not ]]; then
                echo "$file: $name is not found" >&2
                status=1
            elif [[ $name =~ ^lib(Qt6|double-conversion|b2|md4c|pcre2-16|xkbcommon-x11|xcb-(icccm|image|keysyms|render-util|util|xkb))[A-Za-z]*\.so ]] &&
                [[ $(realpath "$path") != "$1/lib/$name" ]]; then
                echo "$file: $name is found outside the folder, as $path" >&2
                status=1
            fi
        done < <(ldd "$file")
    done
    return $status
}
check "ldd: every Qt library resolves inside the folder, with the system's Qt" libraries_resolve_inside "$folder"
check "ldd: every Qt library resolves inside the folder, without the system's Qt" \
    without_qt "$folder" bash -c "$(declare -f libraries_resolve_inside); libraries_resolve_inside \"\$1\"" sh "$folder"
build/bin/tarvex-map2bmp -o "$scratch/pictures-system" build/samples build/samples/more/Crypt.map
check "the exporter converts the samples without the system's Qt" \
    without_qt "$folder" "$folder/tarvex-map2bmp" -o "$scratch/pictures-portable" "$folder/samples" "$folder/samples/more/Crypt.map"
check "its pictures are those of the exporter built here" diff -r "$scratch/pictures-system" "$scratch/pictures-portable"
check "the README's commands for the portable folder run as written, without the system's Qt" \
    without_qt "$folder" bash -c 'cd "$1" && bash -euo pipefail -c "$2"' sh "$folder" "$(readme_commands "The portable folder")"
check "they make the pictures" diff -r "$scratch/pictures-system" "$folder/pictures"
status=0
(cd "$folder/samples" && QT_QPA_PLATFORM=offscreen timeout 5 "${new_namespace[@]}" bash "$self" --without-qt "$folder" \
    "$folder/tarvex-viewer" 2>/dev/null) || status=$?
check "the viewer starts offscreen without the system's Qt" test "$status" -eq 124
without_qt "$folder" bash tools/package-screenshot.sh "$folder/tarvex-viewer" "$folder/samples" Harbor2.map \
    "$scratch/portable.png" 2>/dev/null || echo "the viewer failed under Xvfb" >&2
check "the viewer shows a map under Xvfb (xcb) without the system's Qt" \
    test "$(red_pixels "$scratch/portable.png" 2>/dev/null || echo 0)" -gt 1000
check "the folder's manual pages render" sh -c 'man -l "$1" | grep -qE "^ +tarvex-viewer +- show" && man -l "$2" | grep -q -- "--jobs N"' \
    sh "$folder/man/man1/tarvex-viewer.1" "$folder/man/man1/tarvex-map2bmp.1"

echo "--- the Debian package"
root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
install_deb() { dpkg --root="$root" --force-depends --install "$deb" </dev/null >"$scratch/dpkg.log" 2>&1; }
check "a file a user left in the sample folder is not in the Debian package" \
    sh -c '! dpkg-deb -c "$1" | grep -q saved-by-a-user' sh "$deb"
check "dpkg installs the package" install_deb
program=$root/usr/lib/tarvex
for file in tarvex-viewer tarvex-map2bmp tarvex-find tarvex-where; do
    check "$file is in /usr/lib/tarvex" test -x "$program/$file"
    check "/usr/bin/$file links to it" test "$(realpath "$root/usr/bin/$file")" = "$(realpath "$program/$file")"
done
check "nothing lies in /opt" test ! -e "$root/opt"
check "MapInfo.txt is a conffile" sh -c 'dpkg-deb --ctrl-tarfile "$1" | tar xO ./conffiles | grep -qx /etc/tarvex/MapInfo.txt' sh "$deb"
check "the program folder's MapInfo.txt links to it" test "$(readlink "$program/MapInfo.txt")" = /etc/tarvex/MapInfo.txt
check "the bundled MapInfo.txt is in /etc/tarvex" cmp "$root/etc/tarvex/MapInfo.txt" build/bin/MapInfo.txt
printf 'Harbor2 my own line\r\n' >>"$root/etc/tarvex/MapInfo.txt"
cp "$root/etc/tarvex/MapInfo.txt" "$scratch/edited-MapInfo.txt"
check "dpkg installs the same package again" install_deb
check "the edited MapInfo.txt is kept" cmp "$root/etc/tarvex/MapInfo.txt" "$scratch/edited-MapInfo.txt"
check "the sample maps are in /usr/share/tarvex/samples" \
    diff -r --exclude=.made build/samples "$root/usr/share/tarvex/samples"
doc=$root/usr/share/doc/tarvex-map-viewer
check "the copyright file is there" grep -q '^License: ' "$doc/copyright"
check "the manual and the picture the README links to are beside it" test -s "$doc/doc/MANUAL.md" -a -s "$doc/doc/screenshot.png"
check "the changelog names this version" sh -c 'zcat "$1" | head -n 1 | grep -qF "($2)"' sh "$doc/changelog.gz" \
    "$(dpkg-deb --field "$deb" Version)"
for page in tarvex-viewer tarvex-map2bmp tarvex-find tarvex-route tarvex-where; do
    check "man -l renders $page(1)" sh -c 'man -l "$1" 2>&1 >/dev/null | grep . >&2 && exit 1; man -l "$1" | grep -q "^NAME"' \
        sh "$root/usr/share/man/man1/$page.1.gz"
done
check "tarvex-viewer(1) names the conffile and the samples" \
    sh -c 'man -l "$1" | grep -q /etc/tarvex/MapInfo.txt && man -l "$1" | grep -q /usr/share/tarvex/samples' \
    sh "$root/usr/share/man/man1/tarvex-viewer.1.gz"
check "tarvex-map2bmp(1) describes -o, --jobs, --help and --version" \
    sh -c 'text=$(man -l "$1"); for option in "-o FOLDER" "--jobs N" "--help" "--version"; do
        grep -qF -- "$option" <<EOF || exit 1
$text
EOF
    done' sh "$root/usr/share/man/man1/tarvex-map2bmp.1.gz"
entry=$root/usr/share/applications/org.tarvex.MapViewer.desktop
check "the desktop entry is valid" desktop-file-validate "$entry"
check "the desktop entry opens a file given to it" grep -qx 'Exec=tarvex-viewer %f' "$entry"
check "the desktop entry claims no file type" sh -c '! grep -q "^MimeType=" "$1"' sh "$entry"
check "appstreamcli accepts the metainfo" \
    appstreamcli validate --no-net --strict "$root/usr/share/metainfo/org.tarvex.MapViewer.metainfo.xml"
check "the metainfo names the desktop entry" \
    grep -q '<launchable type="desktop-id">org.tarvex.MapViewer.desktop<' "$root/usr/share/metainfo/org.tarvex.MapViewer.metainfo.xml"
check "the screenshot in the repository is a picture of the window" \
    test "$(identify -format %m packaging/screenshots/main-window.png)" = PNG
for size in 16x16 32x32 48x48; do
    check "the $size icon is in the hicolor theme" test -s "$root/usr/share/icons/hicolor/$size/apps/org.tarvex.MapViewer.png"
done
check "the scalable icon is in the hicolor theme" test -s "$root/usr/share/icons/hicolor/scalable/apps/org.tarvex.MapViewer.svg"
check "the package depends on Qt's widgets" sh -c 'dpkg-deb --field "$1" Depends | grep -q libqt6widgets6' sh "$deb"
lintian --display-info --no-tag-display-limit "$deb" 2>/dev/null | tee "$scratch/lintian.txt" || true
check "lintian reports no errors" sh -c '! grep -q "^E:" "$1"' sh "$scratch/lintian.txt"

# The viewer started through /usr/bin's link, offscreen: it stays up.
mkdir -p "$scratch/maps"
status=0
(cd "$scratch/maps" && QT_QPA_PLATFORM=offscreen timeout 5 "$root/usr/bin/tarvex-viewer" 2>/dev/null) || status=$?
check "the installed viewer starts offscreen" test "$status" -eq 124

# Through the same link, a click on a map reads the MapInfo.txt beside the
# real viewer, which leads on to the configuration file: watched here for the
# viewer opening it.
cp build/samples/Harbor2.map "$scratch/maps/"
mkdir -p "$scratch/etc"
printf 'Harbor2 pier\n' > "$scratch/etc/MapInfo.txt"
ln -sfn "$scratch/etc/MapInfo.txt" "$program/MapInfo.txt"
opened=0
inotifywait -q -t 60 -e open "$scratch/etc/MapInfo.txt" >/dev/null 2>&1 &
watcher=$!
sleep 1 # the watch is set
bash tools/package-screenshot.sh "$root/usr/bin/tarvex-viewer" "$scratch/maps" Harbor2.map "$scratch/installed.png" \
    >/dev/null 2>&1 || true
wait "$watcher" && opened=1
check "the viewer reads MapInfo.txt beside its real path, through a link" test "$opened" -eq 1

echo "--- the README"
rm -rf build/pictures
check "the README's exporter commands run as written" run_readme "Converting many maps at once"
for map in build/samples/*.map build/samples/more/Crypt.map; do
    name=${map##*/}
    check "the README's exporter commands make ${name%.map}.bmp" test -s "build/pictures/${name%.map}.bmp"
done

ls -l build/packages/*.tar.gz build/packages/*.deb
echo "package-checks: $passes passed, $failures failed"
test "$failures" -eq 0
