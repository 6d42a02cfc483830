#!/usr/bin/env bash
# Builds Frappin's Debian package in build-pkg/, without the tests, saying each step in French, and prints the
# package's path.
set -euo pipefail
cd "$(dirname "$0")"
build=build-pkg
source scripts/setup.sh
frappin_install_packages packages.txt

echo "Préparation de la compilation, sans les tests, dans $build/…"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAPPIN_BUILD_TESTS=OFF >/dev/null
if [[ -x "$build/frappin" ]]; then
    echo "Compilation…"
else
    echo "Première compilation : quelques minutes…"
fi
cmake --build "$build" --parallel "$(nproc)"

echo "Fabrication du paquet Debian…"
rm -f "$build"/frappin_*.deb
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build" >"$build/cpack.log" 2>&1; then
    cat "$build/cpack.log" >&2
    echo "Le paquet n'a pas pu être fabriqué." >&2
    exit 1
fi
deb=$(echo "$PWD/$build"/frappin_*.deb)
echo "Paquet prêt : $deb"
echo "Pour l'installer sur un poste : sudo apt install $deb"
