#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages.txt that are missing.
# Sourced by run.sh and test.sh; uses apt-get as root, or through sudo.
set -euo pipefail

frappin_install_packages() {
    local list
    list="$(dirname "${BASH_SOURCE[0]}")/packages.txt"
    local missing=()
    local pkg
    while read -r pkg; do
        [[ -z "$pkg" || "$pkg" == \#* ]] && continue
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done <"$list"
    ((${#missing[@]} == 0)) && return 0

    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        if command -v sudo >/dev/null; then
            sudo=(sudo)
        else
            echo "Missing packages (${missing[*]}) and no root rights to install them." >&2
            return 1
        fi
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
