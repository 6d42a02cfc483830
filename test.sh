#!/usr/bin/env bash
# Installs what is missing, builds Frappin and its tests, and runs every test headless.
#   ./test.sh              ordinary build in build/
#   ./test.sh --sanitize   the same suite built with AddressSanitizer and UBSan in build-asan/
#   ./test.sh --fuzz       the fuzz targets, built with clang in build-fuzz/, FUZZ_SECONDS (default 30) each
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
frappin_install_packages packages.txt packages-test.txt

if [[ "${1:-}" == "--fuzz" ]]; then
    exec fuzz/run.sh "${FUZZ_SECONDS:-30}"
fi

builddir=build
ctest_args=()
cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ "${1:-}" == "--sanitize" ]]; then
    builddir=build-asan
    cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DFRAPPIN_SANITIZE=ON)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    # The end-to-end tests drive the program through the X server with real timing; the ordinary build runs them.
    ctest_args+=(-LE e2e)
fi

cmake -S . -B "$builddir" "${cmake_args[@]}" >/dev/null
cmake --build "$builddir" --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$builddir" --output-on-failure --parallel "$(nproc)" "${ctest_args[@]}"
