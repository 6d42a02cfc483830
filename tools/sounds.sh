#!/bin/sh
# Makes the program's short sounds in resources/sounds/ with sox; they are compiled in under ":/sounds/".
# Run again after changing a sound here, and commit the files it writes.
set -eu
out="$(dirname "$0")/../resources/sounds"
mkdir -p "$out"

# A mistake: a soft, short falling note (0.18 s, 520 to 390 Hz), faded in and out, at a third of full scale.
sox --no-dither -n -r 22050 -b 16 -c 1 --comment "" "$out/faute.wav" \
    synth 0.18 sine 520-390 fade h 0.015 0.18 0.12 vol 0.33
