#!/usr/bin/env bash
# Installs the missing Debian packages of the lists named (files of scripts/, one package a line):
#   frappin_install_packages packages.txt                    to build and run Frappin (run.sh, package.sh)
#   frappin_install_packages packages.txt packages-test.txt  to test it too (test.sh); the same with no list
# Sourced by the scripts; uses apt-get as root, or through sudo.
set -euo pipefail

frappin_install_packages() {
    local dir
    dir="$(dirname "${BASH_SOURCE[0]}")"
    local lists=("$@")
    ((${#lists[@]} > 0)) || lists=(packages.txt packages-test.txt)
    local missing=()
    local list pkg
    for list in "${lists[@]}"; do
        while read -r pkg; do
            [[ -z "$pkg" || "$pkg" == \#* ]] && continue
            if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
                missing+=("$pkg")
            fi
        done <"$dir/$list"
    done
    ((${#missing[@]} == 0)) && return 0

    echo "Installation des paquets manquants : ${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        if command -v sudo >/dev/null; then
            sudo=(sudo)
        else
            echo "Il manque des paquets (${missing[*]}) et il faut être root pour les installer." >&2
            return 1
        fi
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Makes the French locale (fr_FR.UTF-8) that the benchmarks and the end-to-end runs start the program in,
# when the system lacks it: Debian's locales package ships its definition, not the compiled locale.
frappin_french_locale() {
    locale -a 2>/dev/null | grep -qix 'fr_FR.utf8' && return 0
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    echo "Création de la locale fr_FR.UTF-8"
    "${sudo[@]}" localedef -i fr_FR -c -f UTF-8 -A /usr/share/locale/locale.alias fr_FR.UTF-8
}
