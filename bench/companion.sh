#!/usr/bin/env bash
# The teacher's window on a class of 30 with a school year of history (6,000 series) against an empty class:
# its start, the opening of "Résultats", and showing another pupil there (bench/companion.cpp), offscreen.
#   bench/companion.sh                 7 rounds
#   bench/companion.sh --runs 11       rounds; in each, every case takes its turn
#   bench/companion.sh --before REV    also measures the window of the git revision REV (say, main) in the same
#                                      rounds, for a before and after
# The medians of the rounds, after a warm-up round; wall time, and processor time (what the program spent:
# the machine is shared). Exits with 1 when the class's start takes more than 1.5 times the empty class's
# (processor time) or showing a pupil takes 50 ms of wall time or more.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=7
before=
while (($# > 0)); do
    case "$1" in
    --runs) runs=$2; shift ;;
    --before) before=$2; shift ;;
    *) echo "usage: $0 [--runs N] [--before REV]" >&2; exit 2 ;;
    esac
    shift
done

build=${BUILD_DIR:-build}
targets=(frappin companion)
if [[ -n "$before" ]]; then
    rm -rf "$build/bench-before" && mkdir -p "$build/bench-before"
    git archive "$before" tools/classe | tar -x -C "$build/bench-before"
    cmake -S . -B "$build" -DFRAPPIN_BENCH_BEFORE="$(realpath "$build/bench-before")" >/dev/null
    targets+=(companion_before)
fi
cmake --build "$build" --parallel 2 --target "${targets[@]}" >/dev/null

source bench/session.sh
export LANG=fr_FR.UTF-8 LANGUAGE=fr QT_QPA_PLATFORM=offscreen
programs=(companion)
[[ -n "$before" ]] && programs+=(companion_before)
# Each beside Frappin and its lessons, as installed.
for p in "${programs[@]}"; do
    mkdir -p "$work/$p"
    cp "$build"/frappin "$build"/*.mot "$build"/clavier.dat "$build/bench/$p" "$work/$p/"
done

cases=("empty class|0|0" "30 pupils, 6,000 series|30|6000")
for c in "${!cases[@]}"; do
    IFS='|' read -r _ pupils series <<<"${cases[$c]}"
    mkdir -p "$work/case$c/config" "$work/case$c/data"
    XDG_CONFIG_HOME="$work/case$c/config" XDG_DATA_HOME="$work/case$c/data" \
        "$work/companion/companion" fill "$pupils" "$series"
done

for round in $(seq 0 "$runs"); do
    for p in "${programs[@]}"; do
        for c in "${!cases[@]}"; do
            line=$(XDG_CONFIG_HOME="$work/case$c/config" XDG_DATA_HOME="$work/case$c/data" \
                "$work/$p/$p" open 2>/dev/null)
            ((round > 0)) && echo "$p|$c|$line" >>"$work/figures"
        done
    done
done

python3 - "$work/figures" "${cases[@]}" <<'PY'
import statistics, sys
cases = [c.split("|")[0] for c in sys.argv[2:]]
rows = {}
for line in open(sys.argv[1]):
    program, case, figures = line.strip().split("|")
    rows.setdefault((program, int(case)), []).append([float(x) for x in figures.split()])
status = 0
for program in sorted({p for p, _ in rows}, key=lambda p: p != "companion_before"):
    label = "before" if program == "companion_before" else "after"
    medians = {c: [statistics.median(col) for col in zip(*rows[(program, c)])] for c in range(len(cases))}
    print(f"== {label}: wall ms (processor ms), medians of {len(rows[(program, 0)])} rounds")
    for c, name in enumerate(cases):
        m = medians[c]
        print(f"  {name:26} start {m[0]:7.1f} ({m[1]:6.1f})  Résultats {m[2]:7.1f} ({m[3]:6.1f})"
              f"  another pupil {m[4]:6.1f} ({m[5]:6.1f})")
    ratio = medians[1][1] / medians[0][1]
    print(f"  start with the class / empty: {ratio:.2f} x (processor time; budget 1.5 x)")
    if label == "after" and (ratio > 1.5 or medians[1][4] >= 50):
        status = 1
sys.exit(status)
PY
