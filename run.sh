#!/usr/bin/env bash
# Installs what is missing, builds Frappin and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
frappin_install_packages
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target frappin
exec ./build/frappin "$@"
