#!/usr/bin/env bash
# Installs what is missing, builds Frappin and its tests, and runs every test headless.
#   ./test.sh              ordinary build in build/ (and the main window's suite under weston, where installed)
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
# The main window's suite once more on a headless Wayland compositor of its own (a private socket in a private
# runtime folder), where weston and Qt's Wayland platform are installed; the ordinary build only.
if [[ "$builddir" == build ]] && command -v weston >/dev/null; then
    runtime=$(mktemp -d)
    XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=wayland-frappin --idle-time=0 \
        --width=1024 --height=768 >"$runtime/weston.log" 2>&1 &
    weston=$!
    trap 'kill "$weston" 2>/dev/null; rm -rf "$runtime"' EXIT
    for _ in $(seq 100); do [[ -S $runtime/wayland-frappin ]] && break; sleep 0.1; done
    [[ -S $runtime/wayland-frappin ]] || { cat "$runtime/weston.log"; echo "weston n'a pas démarré" >&2; exit 1; }
    # Headless weston has no seat, without which Qt 6.4's Wayland text input fails: the compose input
    # method stands in for it.
    echo "tst_window sous Wayland (weston)"
    XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=wayland-frappin QT_QPA_PLATFORM=wayland QT_IM_MODULE=compose \
        "$builddir/tests/tst_window"
fi
if [[ "$builddir" == build-cov ]]; then
    # Every line of the program and of the tools, file by file, in build-cov/coverage.txt; the totals here.
    # The screenshot's window and the icons' renderer are the developers' tools, never installed: left out.
    gcovr --root . --filter 'src/' --filter 'tools/' --exclude 'tools/dictationview/' --exclude 'tools/iconrender/' \
        --print-summary --output build-cov/coverage.txt build-cov
fi
