#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address, undefined-behaviour and leak sanitizers in
# build-fuzz/, then runs each one for SECONDS (default 30, or $FUZZ_SECONDS) on its seed corpus.
#   fuzz/run.sh                    every target, 30 seconds each
#   fuzz/run.sh 3600 fuzz_keytable one target for an hour
# Fails when a target crashes, breaks one of its properties, reports a sanitizer error or a leak, or takes
# more than 10 seconds on one input. The input that did it is kept in build-fuzz/artifacts/<target>/ and
# replays with: build-fuzz/fuzz/<target> build-fuzz/artifacts/<target>/<file>
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
frappin_install_packages

seconds=${1:-${FUZZ_SECONDS:-30}}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
    targets=(fuzz_wordlist fuzz_keytable fuzz_expandword fuzz_editorfile fuzz_textfile)
fi

# Largest input of each target: enough lines to pass the 1025-entry limit for the two readers; ExpandWord
# reaches its length limit through the padding its input starts with.
declare -A max_len=(
    [fuzz_wordlist]=8192 [fuzz_keytable]=8192 [fuzz_expandword]=4096 [fuzz_editorfile]=4096
    [fuzz_textfile]=4096
)

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAPPIN_FUZZ=ON \
    -DFRAPPIN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
failed=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/logs/$target.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    echo "== $target: ${seconds}s"
    status=0
    # New inputs go to the work corpus in the build folder; the seeds in fuzz/corpus are only read.
    "$build/fuzz/$target" "$corpus" "fuzz/corpus/$target" -max_total_time="$seconds" \
        -max_len="${max_len[$target]:-4096}" -timeout=10 -rss_limit_mb=2048 -dict=fuzz/dictionary.txt \
        -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1 || status=$?
    if ((status != 0)) || grep -qE 'runtime error:|ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|PROPERTY FAILED|ERROR: libFuzzer' "$log"; then
        echo "!! $target failed (exit $status); the end of $log:"
        tail -n 40 "$log"
        failed+=("$target")
    else
        grep -E '^stat::number_of_executed_units|^Done' "$log" | tr '\n' ' '
        echo
    fi
done

((${#failed[@]} > 0)) && echo "Failed: ${failed[*]}"
echo "fuzz: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
((${#failed[@]} == 0))
