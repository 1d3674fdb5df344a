# Installs the Debian packages named that are not installed yet (through sudo
# when not root). Sourced by the project's scripts.
EnsurePackages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    ((${#missing[@]})) || return 0
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    # A list that cannot be fetched (another architecture's, say) leaves the
    # others fetched: installing from them still tells what is missing.
    "${sudo[@]}" apt-get update -qq || echo "Some package lists could not be fetched; installing from those that were" >&2
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

# Installs packages of another architecture (i386), adding it to dpkg first.
# Returns non-zero, and takes the architecture back, when the package
# archive cannot give them.
EnsureForeignPackages() { # architecture, packages...
    local architecture=$1 qualified=() package sudo=()
    for package in "${@:2}"; do qualified+=("$package:$architecture"); done
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    dpkg --print-foreign-architectures | grep -qx "$architecture" || "${sudo[@]}" dpkg --add-architecture "$architecture"
    EnsurePackages "${qualified[@]}" && return 0
    "${sudo[@]}" dpkg --remove-architecture "$architecture" 2>/dev/null || true
    return 1
}
