#!/usr/bin/env bash
# The Windows build, checked under Wine (run tools/setup.sh test first):
# 1. cross-builds everything with mingw-w64 and Qt for Windows into
#    build-windows/ and runs the tests there under Wine, the window tests on
#    a virtual screen;
# 2. the Wine scenarios of the Linux build: the Windows stand-in client under
#    Wine is listed by its ".exe" name and read at its Windows address, and
#    one started from the Linux side runs as its descendant and is read; the
#    64-bit client and the 32-bit one (as the game client is built; when
#    wine32 can be installed) are followed, found by their position and
#    their map, and found again after a restart through a pointer path;
# 3. packs the Windows zip and the installer into build-windows/packages/,
#    unpacks the zip and drives the unpacked viewer under Wine with xdotool:
#    title, a map drawn pixel for pixel, its MapInfo.txt lines, Save, the
#    process list, the tracker and the About box. Screenshots are left in
#    build-windows/screenshots/. Then the unpacked tarvex-find.exe under Wine
#    finds the address each Windows stand-in client printed, and a pointer
#    path that leads to it after a restart.
# 4. reads the version resources and the icon back from the zip's programs;
#    installs with the installer made beside the zip, silently, checks the
#    files, the Start menu shortcut and the installed programs' entry, starts
#    the installed viewer through its shortcut; uninstalls it, once with a
#    changed MapInfo.txt and a file of the user's in its folder (both kept,
#    the uninstaller saying so), once as installed (nothing left).
#
# Qt for Windows comes from TARVEX_QT_MINGW_ARCHIVE, by default
# ../shared/qt6-mingw/qt6-mingw-6.4.2.tar.xz beside the project folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source tools/packages.sh
EnsurePackages cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest qt6-base-dev qt6-base-dev-tools qt6-l10n-tools qt6-translations-l10n wine wine64 \
    xvfb xdotool xclip imagemagick fonts-wqy-zenhei locales unzip nsis python3

qt_archive=${TARVEX_QT_MINGW_ARCHIVE:-../shared/qt6-mingw/qt6-mingw-6.4.2.tar.xz}
if [[ ! -f $qt_archive ]]; then
    echo "Qt for Windows not found: $qt_archive (set TARVEX_QT_MINGW_ARCHIVE)" >&2
    exit 1
fi
mkdir -p build-windows
qt=$root/build-windows/qt6-mingw
stamp=$(stat -c '%s %Y' "$qt_archive")
if [[ $(cat "$qt/.unpacked-from" 2>/dev/null) != "$stamp" ]]; then
    rm -rf "$qt"
    tar -xJf "$qt_archive" -C build-windows
    echo "$stamp" > "$qt/.unpacked-from"
fi

# The game client as players run it is a 32-bit Windows program, which Wine
# runs with its 32-bit part (Debian's i386 architecture), installed before
# the prefix is made so that the prefix has its 32-bit system too. When the
# package archive cannot give it, the 32-bit client's runs are skipped and
# said so.
if EnsureForeignPackages i386 wine32; then
    wine32=yes
else
    wine32=no
    echo "SKIPPED: wine32 cannot be installed here; the 32-bit Windows client is built but not run" >&2
fi

# Wine makes its prefix on first start: one of the build's own. Chinese file
# names and the ANSI code page 936 need a Chinese UTF-8 locale, made here
# rather than on the machine.
export WINEPREFIX=$root/build-windows/wine-prefix WINEDEBUG=-all
if [[ $wine32 == yes && -d $WINEPREFIX/drive_c && ! -e $WINEPREFIX/drive_c/windows/syswow64/kernel32.dll ]]; then
    rm -rf "$WINEPREFIX" # made before Wine could run 32-bit programs
fi
mkdir -p "$WINEPREFIX"
export LOCPATH=$root/build-windows/locale
mkdir -p "$LOCPATH"
[[ -d $LOCPATH/zh_CN.UTF-8 ]] || localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8"
export LC_ALL=zh_CN.UTF-8

cmake -S . -B build-windows -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DTARVEX_BUILD_BENCHMARKS=OFF
cmake --build build-windows --parallel "$(nproc)"
# The 32-bit stand-in client, built as the game client is.
cmake -S . -B build-windows32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
    -DTARVEX_BUILD_APP=OFF -DTARVEX_BUILD_TESTS=OFF -DTARVEX_BUILD_BENCHMARKS=OFF
cmake --build build-windows32 --parallel "$(nproc)" --target stand_in_client
client32=$root/build-windows32/bin/stand_in_client.exe

# A drive letter that lists but cannot be entered, as a drive without a
# medium: its folder does not exist.
# The prefix made now, if nothing has started Wine yet; Wine's processes of
# that start end with it, so that none of them lives on without the screen
# that the checks start below.
if [[ ! -d $WINEPREFIX/dosdevices ]]; then
    timeout 300 wineboot --init
    timeout 60 wineserver --wait || wineserver -k
fi
ln -sfn "$root/build-windows/no-medium" "$WINEPREFIX/dosdevices/q:"
export TARVEX_DRIVE_WITHOUT_MEDIUM=Q

scratch=$(mktemp -d)
cleanup() {
    wineserver -k 2>/dev/null || true
    [[ -z ${xvfb:-} ]] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [[ -s $scratch/display ]] && break; sleep 0.1; done
export DISPLAY=:$(cat "$scratch/display")

echo "== The tests under Wine"
# A test that hangs under Wine fails, with what it printed, rather than holding the checks.
(cd build-windows && ctest --output-on-failure --timeout 900)

echo "== The Windows clients under Wine, followed, found and started from Linux"
linux_filter='WineScenarioTest.*:ClientStartTest.AWindowsClientStartsUnderWineAsADescendant:Builds/OtherBuildClientTest.*'
[[ $wine32 == yes ]] || linux_filter+='-*/Windows32UnderWine'
TARVEX_REQUIRE_WINE=1 TARVEX_WINDOWS_CLIENT=$root/build-windows/bin/stand_in_client.exe \
    TARVEX_WINDOWS_CLIENT_32=$([[ $wine32 == yes ]] && echo "$client32") \
    build/tests/track_tests --gtest_filter="$linux_filter"

echo "== The Windows zip, unpacked and driven under Wine"
(cd build-windows && cpack)
zip=$(ls build-windows/packages/tarvex-map-viewer-*-win64.zip)
unzip -q "$zip" -d "$scratch/unpacked"
program=$(ls -d "$scratch"/unpacked/tarvex-map-viewer-*-win64)
shots=$root/build-windows/screenshots
rm -rf "$shots" && mkdir -p "$shots"

passes=0 failures=0
check() { # description, command...
    if "${@:2}"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
shot() { import -window root "$shots/$1.png"; }
# Clicks at x,y of the viewer's client area.
click() { xdotool mousemove --window "$window" "$1" "$2" sleep 0.2 click 1 sleep 0.5; }
title() { xdotool getwindowname "$window"; }

for file in tarvex-viewer.exe tarvex-map2bmp.exe tarvex-find.exe tarvex-where.exe stand_in_client.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll MapInfo.txt README.md doc/MANUAL.md doc/screenshot.png Harbor2.map; do
    check "the zip holds $file" test -s "$program/$file"
done
# Every DLL a program imports is in the folder or is part of Windows (the
# system folder, or an "api-ms-win-" name of the system's own API sets).
for exe in "$program"/*.exe "$program"/*.dll "$program"/platforms/*.dll; do
    for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p'); do
        if [[ ! -e $program/$dll && ! -e $WINEPREFIX/drive_c/windows/system32/${dll,,} && ${dll,,} != api-ms-win-* ]]; then
            echo "missing: $dll for ${exe#$program/}"
            failures=$((failures + 1))
        fi
    done
done

cd "$program"
wine tarvex-viewer.exe >"$scratch/viewer.log" 2>&1 &
viewer=$!
window=$(timeout 60 xdotool search --sync --name 'Tarvex1\.8' | head -1)
sleep 2
check "the window opens with its title" test "$(title)" = "Tarvex1.8地图查看器"
shot 1-started

# The drive selector lists the drive letters, Q: (without a medium) too.
click 75 42
sleep 1
shot 1-drives
xdotool key Escape

# The file list: Dungeon.map, Harbor2.map, ... 12 pixels a row from y 189.
click 30 201
sleep 1
shot 2-harbor2
"$root/build/bin/tarvex-map2bmp" -o "$scratch/linux" Harbor2.map >/dev/null
# The map area's picture starts at 178,30 of the client area (inside its frame).
eval "$(xdotool getwindowgeometry --shell "$window")"
convert "$shots/2-harbor2.png" -crop "200x150+$((X + 178))+$((Y + 30))" +repage "$scratch/drawn.png"
check "Harbor2.map is drawn pixel for pixel" \
    test "$(compare -metric AE "$scratch/drawn.png" "$scratch/linux/Harbor2.bmp" null: 2>&1)" = 0

# The memo's text, through the clipboard: the map's lines of MapInfo.txt.
click 300 500
xdotool key ctrl+a ctrl+c
sleep 1
xclip -o -selection clipboard | tr -d '\r' >"$scratch/memo.txt"
iconv -f GBK -t UTF-8 MapInfo.txt | tr -d '\r' | grep -iE '^\[?harbor2[ 	].' >"$scratch/expected-memo.txt" || true
check "the memo shows the GBK lines of Harbor2" diff <(cat "$scratch/expected-memo.txt") <(cat "$scratch/memo.txt"; echo)

# Save, through the system's save dialog, which offers the map's own name:
# "harbor" typed over it gets ".bmp".
click 132 14
sleep 2
shot 3-save-dialog
xdotool key End shift+Home
xdotool type --delay 20 "Z:${scratch//\//\\}\\harbor"
xdotool key Return
for _ in $(seq 30); do [[ -s $scratch/harbor.bmp ]] && break; sleep 0.2; done
check "Save writes the bytes the Linux build writes" cmp "$scratch/harbor.bmp" "$scratch/linux/Harbor2.bmp"

# The stand-in client under Wine, found in the process list and followed.
wine stand_in_client.exe --hold 123 45 --seconds 120 >"$scratch/client.txt" 2>&1 &
for _ in $(seq 50); do [[ -s $scratch/client.txt ]] && break; sleep 0.2; done
address=$(tr -d '\r' <"$scratch/client.txt" | sed -n 's/^pid [0-9]* address \([0-9a-fA-F]*\)$/\1/p')
click 16 14
click 60 344
xdotool type --delay 50 stand_in
shot 4-process-list
click 333 14
xdotool type --delay 20 "$address"
click 400 14
for _ in $(seq 30); do [[ $(title) == 123:45 ]] && break; sleep 0.2; done
shot 5-tracking
check "the tracker follows the stand-in client (caption 123:45)" test "$(title)" = 123:45
click 400 14

# About: the system's box, with the application text in its title.
click 165 14
about=$(timeout 20 xdotool search --sync --name 'Tarvex1\.8地图查看器！' | head -1 || true)
sleep 1
shot 6-about
check "About shows the system's box" test -n "$about"
xdotool key --window "$about" Return
sleep 1

click 198 14
for _ in $(seq 50); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.2; done
check "Exit ends the viewer" sh -c "! kill -0 $viewer 2>/dev/null"

# tarvex-find.exe finds the stand-in client under Wine in the same prefix,
# by the Windows process identifier the client prints (after the viewer, whose
# process list would show these clients for a moment after they ended).
start_client() { # arguments for the client; sets client, client_pid and client_address (as tarvex-find prints it)
    rm -f "$scratch/found-client.txt"
    wine "$client_program" "$@" --tell-address --seconds 120 >"$scratch/found-client.txt" 2>&1 &
    client=$!
    for _ in $(seq 100); do grep -qs '^pid ' "$scratch/found-client.txt" && break; sleep 0.2; done
    local first
    first=$(head -1 "$scratch/found-client.txt" 2>/dev/null | tr -d '\r')
    client_pid=$(sed -n 's/^pid \([0-9]*\) address [0-9a-fA-F]*$/\1/p' <<<"$first")
    client_address=$(printf '%08X' "0x$(sed -n 's/^pid [0-9]* address \([0-9a-fA-F]*\)$/\1/p' <<<"$first")" 2>/dev/null || true)
}
stop_client() { kill "$client" 2>/dev/null || true; wait "$client" 2>/dev/null || true; }
start_finder() { # process identifier
    coproc finder { wine tarvex-find.exe "$1" 2>>"$scratch/finder-errors.txt"; }
    to_finder=${finder[1]} from_finder=${finder[0]}
}
ask() { # request; sets count (the count it printed) and listed (the addresses a list printed)
    count='' listed=()
    # A finder that has ended leaves the count empty rather than ending the script.
    trap '' PIPE
    if ! echo "$1" 2>/dev/null >&"$to_finder"; then trap - PIPE; return 0; fi
    trap - PIPE
    local line
    while IFS= read -r -t 120 line <&"$from_finder"; do
        line=${line%$'\r'}
        if [[ $line =~ ^[0-9]+$ ]]; then count=$line; break; fi
        listed+=("${line%% *}")
    done
}
stop_finder() { exec {to_finder}>&- {from_finder}<&-; wait "$finder_PID" 2>/dev/null || true; }
is_listed() { [[ " ${listed[*]} " == *" $client_address "* ]]; }

finder_checks() { # the client's program, its width in bits, its object's pointer field (hexadecimal)
    client_program=$1
    local bits=$2 field=$3
    # A known position: the client's among its copies, which never move.
    start_client --hidden --hold 123 45
    start_finder "$client_pid"
    ask 123:45
    ask list
    check "tarvex-find.exe lists the held $bits-bit client's address among its copies ($count places)" is_listed
    stop_finder
    stop_client
    # A walking client, by its map and its moves alone, until one place is left.
    # On Village.map, whose border is wall, the client's own copies of x alone
    # (x:0, 0:x, left on its stack) do not lie on cells the player can stand on.
    # A 32-bit client's stack lies below 4 GiB, where the finder looks: pairs
    # of its own that change with every step may stay beside it, a few at most.
    local most=$((bits == 32 ? 3 : 1))
    start_client --hidden --map Village.map
    start_finder "$client_pid"
    ask "map Village.map"
    for _ in $(seq 10); do
        [[ $count == 1 ]] && break
        sleep 0.6 # the client steps every half second
        ask moved
    done
    ask list
    check "tarvex-find.exe narrows the walking $bits-bit client to the address it printed, among $count places (at most $most)" \
        test -n "$count" -a "${count:-0}" -le "$most" -a "$(is_listed && echo listed)" = listed
    stop_finder
    stop_client
    # The client's own chain, from its global through an object of three
    # pointers, found in one run leads to the position in the next.
    start_client --chained --hold 33 22
    local path
    path=$(wine tarvex-find.exe "$client_pid" --paths "$client_address" 2>>"$scratch/finder-errors.txt" |
        tr -d '\r' | grep -m1 -E "^stand_in_client\.exe\+[0-9A-F]+ -> \+$field -> \+40\$" || true)
    stop_client
    start_client --chained --hold 33 22
    local landed
    landed=$(wine tarvex-find.exe "$client_pid" --resolve "$path" 2>>"$scratch/finder-errors.txt" | tr -d '\r')
    check "a path tarvex-find.exe found in the $bits-bit client ($path) leads to its position after a restart" \
        test -n "$path" -a "$(printf '%08X' "0x${landed:-0}")" = "$client_address"
    stop_client
}
finder_checks stand_in_client.exe 64 18
if [[ $wine32 == yes ]]; then
    finder_checks "$client32" 32 C
fi
cat "$scratch/finder-errors.txt"

# tarvex-where.exe follows the Windows stand-in walking through sample maps
# until it ends, naming the maps in the order the client walked on them.
mkdir "$scratch/world"
cp Harbor2.map Village.map Dungeon.map Tiny.map "$scratch/world/"
world=$(winepath -w "$scratch/world")
# Ten seconds a map: the open sample maps take some positions to tell apart.
wine stand_in_client.exe --world "$world" --stay 100 --pace 100 --seconds 45 >"$scratch/world-client.txt" 2>&1 &
client=$!
for _ in $(seq 100); do grep -qs '^pid ' "$scratch/world-client.txt" && break; sleep 0.2; done
read -r _ client_pid _ client_address < <(head -1 "$scratch/world-client.txt" | tr -d '\r')
timeout 90 wine tarvex-where.exe "$world" --pid "$client_pid" --address "$client_address" --interval 50 \
    >"$scratch/where.txt" 2>&1 || true
wait "$client" 2>/dev/null || true
named_in_turn() { # the maps named, at least two, each after the one before in the client's own list
    awk 'NR == FNR { if ($1 == "map") walked[++walks] = $3; next }
         { sub(/\r$/, ""); if ($1 == "?" || $1 == "-" || $1 == last) next; last = $1; named++
           while (at < walks && walked[++at] != $1) {}
           if (walked[at] != $1) bad = 1 }
         END { exit (bad || named < 2) }' <(tr -d '\r' <"$scratch/world-client.txt") "$scratch/where.txt"
}
check "tarvex-where.exe names the maps the walking client was on, in turn" named_in_turn
echo "the client walked on: $(awk '$1 == "map" {printf "%s ", $3}' "$scratch/world-client.txt")"
echo "tarvex-where.exe named: $(tr -d '\r' <"$scratch/where.txt" | awk '$1 != "?" && $1 != "-" && $1 != last {printf "%s ", $1; last = $1}')"
cd "$root"

echo "== The programs' version resources and icon"
# Read back from the zip's programs (stripped, as shipped) by tools/windows-files.py.
version=$(sed -n 's/^project(Tarvex VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
holder=$(sed -n 's/^Copyright: *//p' packaging/copyright | head -1) # "2026 Tarvex map viewer developers"
declare -A descriptions=(
    [tarvex-viewer]="Tarvex 1.8 map viewer"
    [tarvex-map2bmp]="Tarvex map exporter: map files to pictures"
    [tarvex-route]="Tarvex route finder: the shortest walk between two cells of a map"
    [tarvex-find]="Tarvex address finder: where a game client keeps the player's position"
    [tarvex-where]="Tarvex map finder: which map of a folder the player is on"
    [stand_in_client]="Tarvex stand-in game client, for trying the viewer")
resource() { # program, key: what the program's resources say for the key
    sed -n "s/^$2: //p" "$scratch/resources-$1.txt"
}
for name in tarvex-viewer tarvex-map2bmp tarvex-route tarvex-find tarvex-where stand_in_client; do
    python3 tools/windows-files.py resources "$program/$name.exe" >"$scratch/resources-$name.txt" || true
    check "$name.exe is version $version of \"Tarvex 1.8 map viewer\"" test \
        "$(resource "$name" ProductName)|$(resource "$name" ProductVersion)|$(resource "$name" FileVersion)" \
        = "Tarvex 1.8 map viewer|$version|$version"
    check "... also in numbers ($version.0)" test "$(resource "$name" 'FileVersion (fixed)')" = "$version.0"
    check "$name.exe describes itself: ${descriptions[$name]}" test "$(resource "$name" FileDescription)" = "${descriptions[$name]}"
    check "$name.exe names its makers as packaging/copyright does" test \
        "$(resource "$name" CompanyName)|$(resource "$name" LegalCopyright)|$(resource "$name" OriginalFilename)" \
        = "${holder#* }|Copyright $holder|$name.exe"
done
check "tarvex-viewer.exe carries the viewer's icon in 16, 32 and 48 pixels" \
    grep -qx 'icon group 1: 16x16 32x32 48x48' "$scratch/resources-tarvex-viewer.txt"
same_icon() { # index in the .ico, size
    test "$(compare -metric AE "packaging/windows/tarvex.ico[$1]" "app/icons/hicolor/tarvex-$2.png" null: 2>&1)" = 0
}
check "the Windows icon is the desktop icons (else run tools/windows-icon.sh)" \
    eval 'same_icon 0 16 && same_icon 1 32 && same_icon 2 48'

echo "== The Windows installer, installing and uninstalling under Wine"
setup=$(ls build-windows/packages/tarvex-map-viewer-*-win64-setup.exe 2>/dev/null || true)
check "the installer lies beside the zip: $(basename "$setup")" test "$setup" = "${zip%.zip}-setup.exe"
# Wine would add the Start menu's shortcuts to the Linux desktop's menu.
export WINEDLLOVERRIDES=winemenubuilder.exe=d
windows_folder() { winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')"; } # the Linux path of a Windows user folder
install_dir=$(windows_folder LOCALAPPDATA)/Programs/"Tarvex map viewer"
shortcut=$(windows_folder APPDATA)/"Microsoft/Windows/Start Menu/Programs/Tarvex 1.8 map viewer.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TarvexMapViewer'
unregistered() { ! wine reg query "$key" >/dev/null 2>&1; }
registry_value() { # name: its data, as "reg query" prints it (DWORDs as 0x...)
    { wine reg query "$key" /v "$1" 2>/dev/null || true; } | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
# Whatever an earlier run left in the build's own prefix goes first.
rm -rf "$install_dir" "$shortcut"
wine reg delete "$key" /f >/dev/null 2>&1 || true
mkdir "$scratch/pristine"
unzip -q "$zip" -d "$scratch/pristine"
pristine=$(ls -d "$scratch"/pristine/tarvex-map-viewer-*-win64)

check "the installer runs silently, for this user only (/S)" timeout 300 wine "$setup" /S
windows_dir=$(winepath -w "$install_dir")
files_in() { (cd "$1" && find . -type f "${@:2}" | LC_ALL=C sort); }
check "it installs the zip's files and no others" diff <(files_in "$pristine") <(files_in "$install_dir" ! -name Uninstall.exe)
check "... the same bytes" diff -r -x Uninstall.exe "$pristine" "$install_dir"
check "... and Uninstall.exe" test -s "$install_dir/Uninstall.exe"
python3 tools/windows-files.py shortcut "$shortcut" >"$scratch/shortcut.txt" 2>&1 || true
shortcut_field() { sed -n "s/^$1: //p" "$scratch/shortcut.txt"; }
target=$(shortcut_field target)
check "the Start menu has a shortcut to the installed tarvex-viewer.exe ($target)" \
    test -n "$target" -a "$(winepath -u "$target")" -ef "$install_dir/tarvex-viewer.exe"
check "... started in its folder" test "$(winepath -u "$(shortcut_field 'working directory')")" -ef "$install_dir"
check "... with its icon" test "$(shortcut_field icon)" = "$target"
check "the installed programs list it: name, version, publisher, icon" test \
    "$(registry_value DisplayName)|$(registry_value DisplayVersion)|$(registry_value Publisher)|$(registry_value DisplayIcon)" \
    = "Tarvex 1.8 map viewer|$version|${holder#* }|$windows_dir\\tarvex-viewer.exe,0"
check "... its folder and how to uninstall it, also silently" test \
    "$(registry_value InstallLocation)|$(registry_value UninstallString)|$(registry_value QuietUninstallString)" \
    = "$windows_dir|\"$windows_dir\\Uninstall.exe\"|\"$windows_dir\\Uninstall.exe\" /S"
check "... with no Modify and no Repair" test "$(registry_value NoModify)|$(registry_value NoRepair)" = "0x1|0x1"
installed_kb=$({ find "$install_dir" -type f ! -name Uninstall.exe -printf '%s\n' || true; } |
    awk '{ n += $1 } END { printf "%d", (n + 1023) / 1024 }')
check "... and its size, $installed_kb KB" test "$(registry_value EstimatedSize)" = "$(printf '%#x' "$installed_kb")"

# The installed viewer, started as the Start menu starts it: through its shortcut.
wine start /unix "$shortcut"
window=$(timeout 60 xdotool search --sync --name 'Tarvex1\.8' | head -1 || true)
sleep 2
shot 7-installed
check "the shortcut starts the installed viewer: its window opens" test -n "$window" -a "$(title)" = "Tarvex1.8地图查看器"
viewer_pid=$( [[ -z $window ]] || xdotool getwindowpid "$window" || true)
started_installed() { # Wine gives the process the Windows path of its program as its command line
    [[ -n $viewer_pid ]] && test "$(tr '\0' '\n' <"/proc/$viewer_pid/cmdline" | head -1)" = "$windows_dir\tarvex-viewer.exe" &&
        test "/proc/$viewer_pid/cwd" -ef "$install_dir"
}
check "... from the installed folder, in that folder" started_installed
[[ -z $window ]] || click 198 14 # Exit
for _ in $(seq 50); do [[ -n $window ]] && xdotool getwindowname "$window" >/dev/null 2>&1 || break; sleep 0.2; done

# The user's own: a changed MapInfo.txt, a file of their own in the folder.
printf '[Harbor2 my own link\r\n' >>"$install_dir/MapInfo.txt"
cp "$install_dir/MapInfo.txt" "$scratch/changed-MapInfo.txt"
echo "my notes" >"$install_dir/notes.txt"
check "installing again keeps the changed MapInfo.txt" \
    eval 'timeout 300 wine "$setup" /S && cmp "$scratch/changed-MapInfo.txt" "$install_dir/MapInfo.txt"'
# Run in place (_?=, which takes the rest of the command line as it is: the
# folder's short name, which Wine would not quote) so that it is waited for
# and its note on MapInfo.txt, given silently on its standard output, is read.
# In place it cannot remove itself: Uninstall.exe stays.
short_dir=$(winepath -s "$windows_dir")
(cd / && timeout 300 wine "$install_dir/Uninstall.exe" /S "_?=$short_dir" >"$scratch/uninstall.txt" 2>&1) || true
left=$(cd "$pristine" && find . -type f ! -name MapInfo.txt | while read -r file; do [[ ! -e $install_dir/$file ]] || echo "$file"; done)
check "uninstalling removes every file it installed${left:+, but not: $left}" test -z "$left"
check "... the shortcut" test ! -e "$shortcut"
check "... and the installed programs' entry" unregistered
check "... keeps the changed MapInfo.txt" cmp "$scratch/changed-MapInfo.txt" "$install_dir/MapInfo.txt"
says_kept() { grep -a 'MapInfo\.txt' "$scratch/uninstall.txt" | grep -qaF "$short_dir"; } # the note names the file and its folder
check "... and says so" says_kept
check "... keeps the user's own file" test "$(cat "$install_dir/notes.txt")" = "my notes"
rm -rf "$install_dir"

# Installed and uninstalled again, MapInfo.txt unchanged: nothing is left,
# the uninstaller run as the installed programs list runs it (no waiting:
# it copies itself away and returns at once, so its outcome is waited for).
check "installing again" timeout 300 wine "$setup" /S
quiet=$(registry_value QuietUninstallString)
[[ $quiet =~ ^\"([^\"]+)\"\ (.*)$ ]] && wine "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]} || true
for _ in $(seq 300); do [[ -e $install_dir ]] || break; sleep 0.2; done
timeout 60 wineserver -w || true
check "uninstalling an unchanged installation removes its folder" test ! -e "$install_dir"
check "... the shortcut" test ! -e "$shortcut"
check "... and the installed programs' entry" unregistered

echo "screenshots: $shots"
echo "windows-checks: $passes passed, $failures failed"
test "$failures" -eq 0
