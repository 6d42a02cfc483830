#!/usr/bin/env bash
# Runs the benchmarks: one typed change through the typed-text check, the time from the program's start to
# its first painted window under Xvfb, and a long day (bench/long_day.cpp: 200 series in one run). Build first
# (./test.sh or cmake --build build). The others take minutes and are run on their own:
#   bench/speed_budget.sh  start-up and memory against the floor and the typing tutors Debian ships
#   bench/big_school.sh    start-up and the end of a series with thousands of pupils and a long history
# Exits with 1 when the long day misses its targets.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake --build "$build" --target bench_typing startup_probe long_day frappin >/dev/null

echo "== One typed change (ten-letter word, 1025-entry key table)"
echo "(one iteration is 11 changes)"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_typing" -minimumvalue 200 2>/dev/null | grep -A1 RESULT

echo "== Start-up to the first painted window (Xvfb, 20 runs)"
display=:${BENCH_DISPLAY:-91}
Xvfb "$display" -screen 0 1024x768x24 -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
DISPLAY="$display" setxkbmap -layout fr
work=$(mktemp -d)
cp "$build/bench/startup_probe" "$build/frappin.mot" "$build/clavier.dat" "$work/"
export XDG_CONFIG_HOME="$work/config" DISPLAY="$display"
python3 - "$work/startup_probe" <<'PY'
import statistics, subprocess, sys, time
times = []
for _ in range(20):
    start = time.monotonic() * 1000
    out = subprocess.run([sys.argv[1]], capture_output=True, text=True, timeout=30).stdout
    painted = float(out.split()[1])
    times.append(painted - start)
times.sort()
print(f"median {statistics.median(times):.1f} ms, best {times[0]:.1f} ms, worst {times[-1]:.1f} ms")
PY
rm -rf "$work"

echo "== A long day (Xvfb, French keyboard)"
QT_QPA_PLATFORM=xcb "$build/bench/long_day" 2>/dev/null
