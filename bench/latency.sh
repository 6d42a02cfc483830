#!/usr/bin/env bash
# From a key to the screen: the time from a key pressed on the X server to the first change of the window's
# pixels, for Frappin and, in the same run, for a bare Qt 6 window of the same size with one focused text box
# (bench/bare_text_window), on one Xvfb server with the French keyboard. bench/latency.cpp types and times.
#   bench/latency.sh              200 rounds: 200 words in each window (about 9 minutes)
#   bench/latency.sh --rounds 40  fewer rounds, for a quick look
#   bench/latency.sh --before OLD/frappin
#                                 also an earlier build of Frappin, in the same run (its data files are this
#                                 build's)
# Frappin shows a word list of one word, "fenêtre", in series of 20 words, with a named pupil: each round
# gives five right letters, one wrong letter, one dead-key letter and one last letter in each window.
# Exits with 1 when Frappin misses a target (see bench/latency.cpp), or when its history does not show the
# series typed (the keys did not go where they should).
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=200
before=
while (($# > 0)); do
    case "$1" in
    --rounds) rounds=$2; shift ;;
    --before) before=$2; shift ;;
    *) echo "usage: $0 [--rounds N] [--before FRAPPIN]" >&2; exit 2 ;;
    esac
    shift
done
word=fenêtre
series_words=20

build=${BUILD_DIR:-build}
[[ -f "$build/CMakeCache.txt" ]] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel 2 --target frappin frappin-eleve bare_text_window latency >/dev/null

source bench/session.sh
export LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8
bench_x_server 1300x1000

# Each Frappin in a fresh home of its own, with its data files and the bench's word list beside it: series
# of 20 words, the hands that stay, no sound, a named pupil.
homes=()
programs=()
start_frappin() { # NAME BINARY
    local dir="$work/${#homes[@]}"
    mkdir -p "$dir/home/.config/frappin" "$dir/frappin"
    cp "$2" "$dir/frappin/frappin"
    cp "$build/frappin.mot" "$build/clavier.dat" "$dir/frappin/"
    printf '%s,,\r\n' "$word" | iconv -f UTF-8 -t WINDOWS-1252 >"$dir/frappin/banc.mot"
    printf '[Démarrage]\nFichier=banc.mot\nExercice=3\nNiveau=0\nSon=0\n' >"$dir/home/.config/frappin/Frappin.ini"
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" \
        "$build/frappin-eleve" definir --prenom Banc --nom Essai >/dev/null
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" \
        "$dir/frappin/frappin" >/dev/null 2>&1 &
    bench_pids+=($!)
    programs+=("$1=$!")
    homes+=("$dir/home")
}
[[ -n "$before" ]] && start_frappin "Frappin before" "$before"
start_frappin Frappin "$build/frappin"
"$build/bench/bare_text_window" >/dev/null 2>&1 &
floor=$!
bench_pids+=("$floor")

echo "Load before: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
"$build/bench/latency" "$rounds" "$series_words" "$word" "$floor" "${programs[@]}" || status=$?
echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg)"

# Every finished series is in the history, with one mistake per word: the keys went where they should.
series=$((rounds / series_words))
for i in "${!homes[@]}"; do
    rows=$(HOME="${homes[$i]}" XDG_CONFIG_HOME="${homes[$i]}/.config" XDG_DATA_HOME="${homes[$i]}/.local/share" \
        "$build/frappin-eleve" historique --csv | tail -n +2 | awk -F';' -v words="$series_words" '$6 == words' |
        wc -l)
    if ((rows < series)); then
        echo "${programs[$i]%=*}: the history shows $rows series of $series_words words with one mistake each," \
            "not $series: the keys did not go where they should." >&2
        status=1
    fi
done
exit "$status"
