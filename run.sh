#!/usr/bin/env bash
# Installs what Frappin needs to build and run, builds it in build/ and starts it, saying each step in French.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
frappin_install_packages packages.txt
if [[ -x build/frappin ]]; then
    echo "Compilation…"
else
    echo "Première compilation : quelques minutes…"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target frappin
echo "Lancement de Frappin…"
exec ./build/frappin "$@"
