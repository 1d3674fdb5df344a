#!/usr/bin/env bash
# Runs every command written in the README's code blocks, and the manual
# pages it names in its text (`man ./doc/NAME.1`), so that a README command
# that no longer works fails the tests (CTest: ReadmeCommands).
#   bash tools/readme-commands.sh BUILD [README]
# BUILD is a build folder with the programs and the sample maps built.
#
# Each code block runs in one shell of its own, as a reader types it: in a
# scratch folder laid out as the source tree (build/bin and build/samples are
# BUILD's, doc/ and tools/ the source's), or, for the commands under "The
# portable folder", in a folder laid out as the portable folder (the
# programs and samples/). The installed programs named without a folder
# (`tarvex-viewer`) are BUILD's. A block of lines beginning with "$ " is a
# terminal: those lines are the commands, and the lines after each are its
# output, which must be the same.
#
# Run fully (each must exit 0):
# - the command-line programs (tarvex-map2bmp, tarvex-route, tarvex-where,
#   tarvex-find) and the manual pages (`man`, every warning a failure);
# - `cd`, and the stand-in client started in the background (`... &`): it
#   must still be running when its block ends, and is ended then;
# - the viewer with --help or --version, which print and end.
# Checked lightly, and why:
# - `bash tools/setup.sh run|test`: the first installs packages and opens the
#   window, the second builds and runs every test, this one among them. The
#   script must pass `bash -n` and take the mode written; .ci/run must run
#   the test command.
# - `bash tools/package.sh`: it builds everything and the packages, minutes
#   of work; the package checks (tools/package-checks.sh) run it as written.
#   Here the script must pass `bash -n`.
# - `sudo apt install ./build/packages/NAME.deb`: it installs into the
#   system. NAME must be the one the build's packaging makes (package name,
#   the project's version, the machine's architecture).
# - the viewer without --help or --version: it opens a window and runs until
#   closed. It must start offscreen with the command's arguments and still
#   be running after a few seconds, and answer --help.
# Any other command fails the check until a rule for it is added here.
set -euo pipefail
if (($# < 1 || $# > 2)); then
    echo "usage: $0 BUILD [README]" >&2
    exit 2
fi
source_dir=$(realpath "$(dirname "$0")/..")
build=$(realpath "$1")
readme=$(realpath "${2:-$source_dir/README.md}")
for needed in bin/tarvex-viewer bin/tarvex-map2bmp bin/tarvex-route bin/tarvex-where bin/tarvex-find \
    bin/stand_in_client samples/Harbor2.map; do
    [[ -e $build/$needed ]] || { echo "$build/$needed is not built" >&2; exit 1; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=$scratch/tree portable=$scratch/portable path_dir=$scratch/path
mkdir -p "$tree/build" "$portable" "$path_dir"
ln -s "$build/bin" "$build/samples" "$tree/build/"
ln -s "$source_dir/doc" "$source_dir/tools" "$tree/"
ln -s "$build/samples" "$portable/samples"
for program in "$build"/bin/tarvex-*; do
    ln -s "$program" "$portable/"
    ln -s "$program" "$path_dir/"
done
export PATH=$path_dir:$PATH MANPAGER=cat PAGER=cat MANWIDTH=80 QT_QPA_PLATFORM=offscreen

# The commands, as blocks: "@ HEADING" begins each, the lines follow.
# Indented blocks (4 spaces, as the package checks read them) and fenced
# ones, but for those marked text; then the manual pages named in the text.
extract() {
    awk '
        /^```/ {
            if (!fenced) { fenced = 1; language = substr($0, 4); if (language != "text") print "@ " heading; }
            else fenced = 0
            next
        }
        fenced { if (language != "text") print; next }
        /^#+ / { heading = substr($0, index($0, " ") + 1); indented = 0; next }
        /^    / { if (!indented) print "@ " heading; indented = 1; print substr($0, 5); next }
        { indented = 0 }
        {
            line = $0
            while (match(line, /`man \.\/doc\/[^`]*`/)) {
                print "@ " heading
                print substr(line, RSTART + 1, RLENGTH - 2)
                line = substr(line, RSTART + RLENGTH)
            }
        }' "$readme"
}

# The rule for one command: full, setup, package, deb, viewer or unknown.
rule_for() {
    local command=$1
    case $command in
    "bash tools/setup.sh run" | "bash tools/setup.sh test") echo setup ;;
    "bash tools/package.sh") echo package ;;
    "sudo apt install ./build/packages/"*.deb) echo deb ;;
    cd\ *) echo full ;;
    *tarvex-viewer*--help* | *tarvex-viewer*--version*) echo full ;;
    *tarvex-viewer*) echo viewer ;;
    "man ./doc/"*.1) echo full ;;
    *tarvex-map2bmp\ * | *tarvex-route\ * | *tarvex-where\ * | *tarvex-find\ *) echo full ;;
    *stand_in_client\ *"&") echo full ;;
    'echo $?') echo full ;;
    *) echo unknown ;;
    esac
}

# Every map a command names must be there: the stand-in client, given a map
# it cannot read, walks on a line of its own instead of failing.
check_maps() {
    local words word command=${1%&}
    eval "words=($command)"
    for word in "${words[@]}"; do
        [[ $word != *.map || -f $word ]] || { echo "$word: no such map (in $PWD)" >&2; return 1; }
    done
}

# The light checks, each given the command as written.
check_setup() {
    local mode=${1##* } usage
    bash -n "$source_dir/tools/setup.sh" || return 1
    usage=$(bash "$source_dir/tools/setup.sh" 2>&1) && return 1 # no mode: the usage, and not 0
    [[ $usage == *"run|test"* && $usage == *"$mode"* ]] || { echo "tools/setup.sh does not take \"$mode\": $usage" >&2; return 1; }
    if [[ $mode == test ]]; then
        grep -qx 'bash tools/setup.sh test' "$source_dir/.ci/run" || { echo ".ci/run does not run the test command" >&2; return 1; }
    fi
}
check_package() {
    bash -n "$source_dir/tools/package.sh" &&
        grep -q 'run_readme "Building the packages"' "$source_dir/tools/package-checks.sh"
}
check_deb() {
    local written=${1##*/} name version architecture
    name=$(sed -n 's/^set(CPACK_PACKAGE_NAME \(.*\))$/\1/p' "$source_dir/cmake/Packaging.cmake")
    version=$(sed -n 's/^ *VERSION \([0-9.]*\).*/\1/p;s/^project([^)]* VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt" | head -n 1)
    architecture=$(dpkg --print-architecture)
    [[ $written == "${name}_${version}_${architecture}.deb" ]] ||
        { echo "the package is made as ${name}_${version}_${architecture}.deb, not $written" >&2; return 1; }
}
check_viewer() {
    local status=0 words
    eval "words=($1)"
    timeout 5 "${words[@]}" >/dev/null 2>"$scratch/viewer.err" || status=$?
    [[ $status -eq 124 ]] || { echo "the viewer did not stay up (status $status): $(cat "$scratch/viewer.err")" >&2; return 1; }
    ! grep -q '^tarvex-viewer: ' "$scratch/viewer.err" || { cat "$scratch/viewer.err" >&2; return 1; }
    "${words[0]}" --help | grep -q '^Usage: '
}

passes=0 failures=0
# Runs one block: its commands, in one shell, from the folder it is meant for.
run_block() { # heading, commands file
    local heading=$1 file=$2 folder=$tree script=$scratch/block.sh line rule command i
    local commands=() outputs=() transcript=0
    [[ $heading == "The portable folder" ]] && folder=$portable
    grep -q '^\$ ' "$file" && transcript=1
    # The commands, and in a terminal block the output written after each.
    while IFS= read -r line || [[ -n $line ]]; do
        if ((transcript)) && [[ $line != '$ '* ]]; then
            ((${#commands[@]})) && outputs[-1]+=$line$'\n'
            continue
        fi
        command=${line#\$ }
        [[ -z $command || $command == '#'* ]] && continue
        commands+=("$command") outputs+=("")
    done <"$file"
    {
        echo 'set -euo pipefail'
        echo 'background=() last=0'
        echo 'trap "kill \${background[*]} 2>/dev/null || true" EXIT'
        echo "cd '$folder'"
        declare -f check_maps check_setup check_package check_deb check_viewer
        echo "source_dir='$source_dir' scratch='$scratch'"
    } >"$script"
    for i in "${!commands[@]}"; do
        command=${commands[i]}
        rule=$(rule_for "$command")
        printf '%s' "$command" >"$scratch/command-$i"
        printf '%s' "${outputs[i]}" >"$scratch/expected-$i"
        printf 'echo %q\ncommand=$(<%q)\n' "+ [$rule] $command" "$scratch/command-$i" >>"$script"
        case $rule in
        full)
            if ((transcript)); then
                # Its status is that of the command before ($? in "echo $?");
                # a status other than 0 fails it unless "echo $?" follows.
                echo 'check_maps "$command"; set +e; (exit $last); eval "$command" >"$scratch/printed"; last=$?; set -e' >>"$script"
                printf 'diff -u --label "the README" --label "what it prints" %q "$scratch/printed"\n' \
                    "$scratch/expected-$i" >>"$script"
                [[ ${commands[i + 1]:-} == 'echo $?' ]] ||
                    echo '[[ $last -eq 0 ]] || { echo "it ended with status $last" >&2; exit 1; }' >>"$script"
            elif [[ $command == *'&' ]]; then
                echo 'check_maps "$command"; eval "$command"; background+=($!)' >>"$script"
            elif [[ $command == man\ * ]]; then
                # A page without its NAME, or any warning of man or groff, fails it.
                echo 'eval "$command" >"$scratch/man.out" 2>"$scratch/man.err" || { cat "$scratch/man.err" >&2; exit 1; }' >>"$script"
                echo 'grep -q "^NAME" "$scratch/man.out"; ! grep . "$scratch/man.err" >&2' >>"$script"
            else
                echo 'check_maps "$command"; eval "$command"' >>"$script"
            fi
            ;;
        setup | package | deb | viewer)
            [[ $rule != viewer ]] || echo 'check_maps "$command"' >>"$script"
            echo "check_$rule \"\$command\"" >>"$script"
            ;;
        *)
            echo 'echo "no rule to check this README command: add one to tools/readme-commands.sh" >&2; exit 1' >>"$script"
            ;;
        esac
    done
    # What was started in the background must still run; it ends with the
    # block, also when a command fails.
    cat >>"$script" <<'EOF'
for started in "${background[@]}"; do
    kill -0 "$started" 2>/dev/null || { echo "a command started in the background ended" >&2; exit 1; }
done
EOF
    if bash ${READMECOMMANDS_TRACE:+-x} "$script"; then
        echo "ok: the commands under \"$heading\""
        passes=$((passes + 1))
    else
        echo "FAILED: the commands under \"$heading\""
        failures=$((failures + 1))
    fi
}

blocks=0 heading= file=
while IFS= read -r line; do
    if [[ $line == '@ '* ]]; then
        [[ -z $file ]] || run_block "$heading" "$file"
        blocks=$((blocks + 1))
        heading=${line#@ } file=$scratch/block-$blocks
        : >"$file"
    else
        printf '%s\n' "$line" >>"$file"
    fi
done < <(extract)
[[ -z $file ]] || run_block "$heading" "$file"
((blocks > 0)) || { echo "no commands found in $readme" >&2; exit 1; }
echo "readme-commands: $passes passed, $failures failed"
((failures == 0))
