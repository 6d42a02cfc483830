#!/usr/bin/env bash
# Screenshots of Frappin as a pupil sees it, taken under a virtual X server with the French keyboard:
#   start.png   the window at start-up, no pupil named
#   photo.png   the window at start-up for a pupil who has a photograph
#   photo-200.png  the same at 200 % scaling, where every picture must stay sharp
#   parametres.png, mots.png, apropos.png   the three dialogs, opened from the menus with the keyboard
#   phrase-longue.png  a series of "une boîte de crayons": one word done (a star), the second typed with a
#                      mistake, the phrase in grey in the typing box where it is not typed yet
#   verr-maj.png  the same series typed with Caps Lock on: the hint and the lit Verr. Maj light
#   touche-morte.png  "fête" with f typed and the dead key pressed: the letter e alone lit, in blue
#   verr-num.png  "2 chats" with Num Lock off (as Xvfb starts): the 2 of the pad lit and the hint
#   note-non-gardee.png  the end of a series with no pupil named: the grade and the note to the teacher
#   dictee.png  a dictated word, "fenêtre", where speech is heard (build/dictationview): its blanks and
#               "Répéter", no hand yet
#   parcours-serie.png, parcours.png  the path: a series of lesson 3 aimed at the key missed before, then the
#               lesson passed
#
#   tools/screenshots.sh [BUILD_FOLDER] [OUTPUT_FOLDER]
#
# BUILD_FOLDER holds the built frappin (default: build); OUTPUT_FOLDER receives the PNG files (default: the
# folder screenshots of BUILD_FOLDER). The program runs from a temporary program folder with its data files, and its settings live in
# a temporary configuration folder, so the user's own settings are never touched.
# Needs Xvfb, setxkbmap, xdpyinfo and ImageMagick (scripts/packages.txt).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
mkdir -p "${2:-$build/screenshots}"
out=$(cd "${2:-$build/screenshots}" && pwd)

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [[ -n "$app_pid" ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The server picks a display number that no other server holds and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1400x1050x24 -noreset -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
export DISPLAY=:$(head -n 1 "$work/display")
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY" >&2; exit 1; }
setxkbmap fr

# The program folder: the program and its data files, as installed.
program="$work/programme"
mkdir -p "$program"
cp "$build/frappin" "$build/frappin.mot" "$build/clavier.dat" "$program/"

# Writes the settings of one run: the pupil's names and the pictures folder, or nothing at all.
#   settings CONFIG_FOLDER [PRENOM NOM PHOTOS_FOLDER]
settings() {
    local config=$1
    mkdir -p "$config/frappin"
    if [[ $# -gt 1 ]]; then
        # Section and key names as the settings store writes them (Latin-1 letters escaped).
        printf '[D%%E9marrage]\nDerni%%E8re=%s %s\nPrenom=%s\nNom=%s\n' "$2" "$3" "$2" "$3" \
            >"$config/frappin/Frappin.ini"
        printf '[Fichier]\nEleves=%s\n' "$4" >"$config/frappin/Configuration.ini"
    fi
}

# Runs the program with a configuration folder, waits for its window to be drawn, takes the screenshot of the
# window's corner of the screen and ends the program.
#   shoot CONFIG_FOLDER OUTPUT_FILE [SCALE]
shoot() {
    local scale=${3:-1}
    XDG_CONFIG_HOME=$1 QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$program/frappin" >"$work/frappin.log" 2>&1 &
    app_pid=$!
    sleep 3
    if ! kill -0 "$app_pid" 2>/dev/null; then
        echo "frappin ended early:" >&2
        cat "$work/frappin.log" >&2
        exit 1
    fi
    import -window root -crop "$((660 * scale))x$((490 * scale))+0+0" +repage "$2"
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    echo "$2"
}

settings "$work/config-start"
shoot "$work/config-start" "$out/start.png"

# A pupil with a photograph: a small drawn portrait saved as a bitmap in a pictures folder of its own.
photos="$work/photos"
mkdir -p "$photos"
convert -size 87x105 gradient:'#fde7c8'-'#f6c99a' \
    -fill '#f2c6a0' -stroke '#8a5a3c' -draw 'circle 43,45 43,18' \
    -fill '#5b3a24' -stroke none -draw 'ellipse 43,26 27,13 180,360' \
    -fill '#2d2d2d' -draw 'circle 34,43 34,46' -draw 'circle 52,43 52,46' \
    -fill none -stroke '#b0413e' -strokewidth 2 -draw 'arc 32,50 54,64 20,160' \
    -fill '#4f8fd8' -stroke none -draw 'ellipse 43,108 38,30 180,360' \
    "BMP3:$photos/Martin-Léa.bmp"
settings "$work/config-photo" "Léa" "Martin" "$photos"
shoot "$work/config-photo" "$out/photo.png"
shoot "$work/config-photo" "$out/photo-200.png" 2

# The dialogs, each opened from its menu with the keyboard and taken alone.
#   shoot_dialog OUTPUT_FILE WINDOW_NAME KEYS...
shoot_dialog() {
    local file=$1 name=$2
    shift 2
    XDG_CONFIG_HOME="$work/config-photo" QT_QPA_PLATFORM=xcb "$program/frappin" >"$work/frappin.log" 2>&1 &
    app_pid=$!
    sleep 2
    # Without a window manager nothing has the keyboard focus until it is given.
    xdotool search --onlyvisible --name "Divod Ivodedod - Frappin" windowfocus --sync
    xdotool key --delay 150 "$@"
    sleep 1
    local window
    window=$(xdotool search --onlyvisible --name "$name" | tail -n 1)
    import -window "$window" "$file"
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    echo "$file"
}
shoot_dialog "$out/parametres.png" "Paramètres" alt+f p
shoot_dialog "$out/mots.png" "Edition" alt+e l
shoot_dialog "$out/apropos.png" "Divod Ivodedod - Frappin" alt+f Right Right a

# A series typed with the keyboard, from a program folder whose word list holds one long phrase.
#   shoot_series OUTPUT_FILE KEYS...
long_program="$work/programme-longue"
mkdir -p "$long_program"
cp "$build/frappin" "$build/clavier.dat" "$long_program/"
printf 'une bo\xeete de crayons,,\r\n' >"$long_program/frappin.mot"
phrase=(u n e space b o dead_circumflex i t e space d e space c r a y o n s)
shoot_series() {
    local file=$1
    shift
    XDG_CONFIG_HOME="$work/config-photo" QT_QPA_PLATFORM=xcb "$long_program/frappin" >"$work/frappin.log" 2>&1 &
    app_pid=$!
    sleep 2
    xdotool search --onlyvisible --name "Divod Ivodedod - Frappin" windowfocus --sync
    xdotool key --delay 120 Return "${phrase[@]}"
    sleep 2.5
    xdotool key --delay 120 "$@"
    sleep 1
    import -window root -crop "660x490+0+0" +repage "$file"
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    echo "$file"
}
shoot_series "$out/phrase-longue.png" "${phrase[@]:0:19}" x
shoot_series "$out/verr-maj.png" Caps_Lock u n e
xdotool key Caps_Lock

# A series of one word list of one entry, typed with xdotool's commands.
#   shoot_word OUTPUT_FILE CONFIG_FOLDER WORD XDOTOOL_COMMANDS...
shoot_word() {
    local file=$1 config=$2 folder="$work/programme-$(basename "$1" .png)"
    mkdir -p "$folder"
    cp "$build/${binary:-frappin}" "$build/clavier.dat" "$folder/"
    printf '%s,,\r\n' "$3" >"$folder/frappin.mot"
    shift 3
    XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb "$folder/${binary:-frappin}" >"$work/frappin.log" 2>&1 &
    app_pid=$!
    sleep 2
    xdotool search --onlyvisible --name "Divod Ivodedod - Frappin" windowfocus --sync
    xdotool "$@"
    sleep 1
    import -window root -crop "660x490+0+0" +repage "$file"
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    echo "$file"
}
shoot_word "$out/touche-morte.png" "$work/config-photo" "fête" key --delay 120 Return f dead_circumflex
shoot_word "$out/verr-num.png" "$work/config-photo" "2 chats" key --delay 120 Return
word=(key --delay 120 c h a t sleep 2.6)
shoot_word "$out/note-non-gardee.png" "$work/config-start" "chat" key Return \
    "${word[@]}" "${word[@]}" "${word[@]}" "${word[@]}" "${word[@]}"
settings "$work/config-dictee" Léa Martin "$work"
printf 'Son=1\nDictee=1\n' >>"$work/config-dictee/frappin/Frappin.ini"
binary=dictationview shoot_word "$out/dictee.png" "$work/config-dictee" "fenêtre" key --delay 120 Return

# The path: the shipped lessons, the third holding one word, "cave", and Léa at it. A first series with a
# mistake on each "v" (15/20, not enough), a second without (the key practised shown: parcours-serie.png),
# a third that passes the lesson (parcours.png).
path_program="$work/programme-parcours"
mkdir -p "$path_program" "$work/config-parcours/frappin"
cp "$build/frappin" "$build/clavier.dat" "$build/frappin.mot" "$build"/[01][0-9]*.mot "$path_program/"
printf 'cave,,\r\n' >"$path_program/03 rangée du bas.mot"
printf '[Démarrage]\nDernière=Léa Martin\nPrenom=Léa\nNom=Martin\nParcours=1\nExercice=0\n\n' \
    >"$work/config-parcours/frappin/Frappin.ini"
printf '[Léa Martin]\nLeçon=03 rangée du bas.mot\n' >>"$work/config-parcours/frappin/Frappin.ini"
printf '[Fichier]\nEleves=%s\n' "$photos" >"$work/config-parcours/frappin/Configuration.ini"
XDG_CONFIG_HOME="$work/config-parcours" XDG_DATA_HOME="$work/data-parcours" QT_QPA_PLATFORM=xcb \
    "$path_program/frappin" >"$work/frappin.log" 2>&1 &
app_pid=$!
sleep 2
xdotool search --onlyvisible --name "Divod Ivodedod - Frappin" windowfocus --sync
missed=(key --delay 120 c a x BackSpace v e sleep 2.6)
right=(key --delay 120 c a v e sleep 2.6)
xdotool key Return "${missed[@]}" "${missed[@]}" "${missed[@]}" "${missed[@]}" "${missed[@]}"
xdotool key --delay 120 Return c a
sleep 0.5
import -window root -crop "660x490+0+0" +repage "$out/parcours-serie.png"
echo "$out/parcours-serie.png"
xdotool key --delay 120 v e sleep 2.6 "${right[@]}" "${right[@]}" "${right[@]}" "${right[@]}"
xdotool key Return "${right[@]}" "${right[@]}" "${right[@]}" "${right[@]}" "${right[@]}"
sleep 0.5
import -window root -crop "660x490+0+0" +repage "$out/parcours.png"
echo "$out/parcours.png"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
