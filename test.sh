#!/usr/bin/env bash
# Installs what is missing, builds Frappin and its tests, and runs every test headless.
#   ./test.sh              ordinary build in build/
#   ./test.sh --sanitize   the same suite built with AddressSanitizer and UBSan in build-asan/
#   ./test.sh --fuzz       the fuzz targets, built with clang in build-fuzz/, FUZZ_SECONDS (default 30) each
#   ./test.sh --coverage   the unit and end-to-end tests built with --coverage in build-cov/, then the line
#                          coverage of src/ and tools/ (gcovr)
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

if [[ "${1:-}" == "--coverage" ]]; then
    builddir=build-cov
    cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage)
    # Valgrind adds nothing to the lines run and takes long with the counters.
    ctest_args+=(-LE memcheck)
    find "$builddir" -name '*.gcda' -delete 2>/dev/null || true
fi

cmake -S . -B "$builddir" "${cmake_args[@]}" >/dev/null
cmake --build "$builddir" --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$builddir" --output-on-failure --parallel "$(nproc)" "${ctest_args[@]}"
if [[ "$builddir" == build-cov ]]; then
    # Every line of the program and of the tools, file by file, in build-cov/coverage.txt; the totals here.
    gcovr --root . --filter 'src/' --filter 'tools/' --print-summary --output build-cov/coverage.txt build-cov
fi
