#!/usr/bin/env bash
# The headless demonstration, on a Wine environment that tools/wine/wine-env.sh
# has started:
#   demo.sh STATE_DIR BIN_DIR WORK_DIR [--gif]
# Copies kaveto.exe and its default files from BIN_DIR (a windows build's
# bin folder) into a fresh program folder under WORK_DIR, starts it and runs
# demo_driver.exe, which plays a user and prints each snippet. The driver
# stops after each step for a picture of the screen, taken here; two are
# kept: demo-menu.png (the browsers and the history menu open over the
# picture) and demo-editor.png (the editor holding the pasted snippet). With
# --gif, frames of the screen are taken all along as well and joined with
# the steps' pictures, each captioned, into demo.gif. Then the program is
# closed as a user would (WM_CLOSE) and the settings file it wrote is
# printed. Fails, naming the step, when a step fails, a picture is missing
# or blank, or the program does not end cleanly.
set -euo pipefail
state=${1:?state folder}
bin=${2:?bin folder}
work=${3:?work folder}
gif=no
if [ "${4:-}" = --gif ]; then gif=yes; elif [ -n "${4:-}" ]; then echo "usage: $0 STATE BIN WORK [--gif]" >&2; exit 2; fi
fail() { echo "demo.sh: $*" >&2; exit 1; }

folder=$("$(dirname "$0")/../wine/program-folder.sh" "$bin" "$work") || fail "the program folder could not be made"
echo "program folder: $folder"

display=$(cat "$state/display") || fail "no Wine environment in $state"
# Run straight, not through a function, so that a background run's pid is
# the Windows program's own and the clean-up can end it.
wine_run=$(cd "$(dirname "$0")/../wine" && pwd)/wine-run.sh
# The driver prints Shift_JIS with CR LF; the terminal wants UTF-8 lines.
for_terminal() { iconv -c -f CP932 -t UTF-8 | tr -d '\r'; }
# The pictures show the windows the demonstration places in the screen's
# top left corner: the picture at 0,0, its menu below it, the browsers and
# the editor from x 250.
crop=740x590+0+0
shoot() { import -window root -display "$display" -crop "$crop" +repage "$1"; }

program= driver= framer=
pauses="$folder/pauses"
frames="$folder/frames"
mkdir -p "$pauses" "$frames"
stop_frames() {
    if [ -n "$framer" ]; then
        touch "$frames/stop"
        wait "$framer" || true
        framer=
    fi
}
clean_up() {
    stop_frames
    for pid in $driver $program; do
        if kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
    done
}
trap clean_up EXIT

"$wine_run" "$state" "$folder/kaveto.exe" &
program=$!
"$wine_run" "$state" "$bin/window_tool.exe" wait TForm1 || fail "kaveto's window did not appear"

# Frames for the animation, one every few tenths of a second, named by the
# time they were taken so that the pauses' pictures fall in among them.
if [ "$gif" = yes ]; then
    (
        while [ ! -e "$frames/stop" ]; do
            shoot "$frames/$(date +%s%N).miff" 2>/dev/null || true
            sleep 0.2
        done
    ) &
    framer=$!
fi

echo "demonstration:"
demo_out="$folder/demo.txt"
"$wine_run" "$state" "$bin/demo_driver.exe" "Z:${pauses//\//\\}" >"$demo_out" &
driver=$!
# The driver's pauses: at each moment it names, a picture of the screen,
# then it goes on. Each moment must come within a minute of the one before.
take_moment() {  # MOMENT CAPTION
    local shot="$pauses/$1.png"
    shoot "$shot" || fail "the picture at \"$1\" could not be taken"
    case "$1" in menu | editor) cp "$shot" "$folder/demo-$1.png" ;; esac
    if [ "$gif" = yes ]; then
        convert "$shot" "${band[@]}" -fill white -font "$font" -pointsize 17 -annotate +0+9 "$2" \
            "$frames/$(date +%s%N)-hold.png" || fail "the frame at \"$1\" could not be made"
    fi
}
# The animation's frames get a band below for the step's caption.
band=(-gravity south -background '#303030' -splice 0x36)
font=$(fc-match -f "%{file}" IPAPGothic)
deadline=$((SECONDS + 60))
while kill -0 "$driver" 2>/dev/null; do
    for ready in "$pauses"/*.ready; do
        [ -e "$ready" ] || continue
        moment=$(basename "$ready" .ready)
        [ -e "$pauses/$moment.done" ] && continue
        take_moment "$moment" "$(head -n 1 "$ready" | tr -d '\r')"
        # The animation ends on the last moment, before the windows go.
        if [ "$moment" = editor ]; then stop_frames; fi
        touch "$pauses/$moment.done"
        deadline=$((SECONDS + 60))
    done
    [ "$SECONDS" -lt "$deadline" ] || fail "the driver did not go on within a minute"
    sleep 0.05
done
demo_status=0
wait "$driver" || demo_status=$?
driver=
for_terminal <"$demo_out"
[ "$demo_status" -eq 0 ] || fail "the demonstration failed (status $demo_status)"
stop_frames

# A picture counts as blank when it has (almost) a single colour; the
# demonstration's windows, text and menu give it dozens.
check_picture() {
    [ -s "$1" ] || fail "$1 was not saved"
    local colours
    colours=$(identify -format '%k\n' "$1" | sort -n | tail -1) || fail "$1 cannot be read"
    [ "$colours" -ge 16 ] || fail "$1 is blank ($colours colours)"
}
check_picture "$folder/demo-menu.png"
check_picture "$folder/demo-editor.png"
echo "pictures: $folder/demo-menu.png $folder/demo-editor.png"

if [ "$gif" = yes ]; then
    # Each frame shows for the time until the next; the pauses' pictures,
    # with their captions, stay for two and a half seconds.
    shopt -s nullglob
    periodic=("$frames"/*.miff)
    [ "${#periodic[@]}" -eq 0 ] || mogrify "${band[@]}" "${periodic[@]}"
    args=()
    for frame in "$frames"/*; do
        case "$frame" in
        *-hold.png) args+=(-delay 250 "$frame") ;;
        *.miff) args+=(-delay 30 "$frame") ;;
        esac
    done
    [ "${#args[@]}" -gt 4 ] || fail "too few frames for the animation"
    convert "${args[@]}" -resize 75% -layers Optimize -loop 0 "$folder/demo.gif" ||
        fail "the animation could not be made"
    check_picture "$folder/demo.gif"
    size=$(stat -c %s "$folder/demo.gif")
    [ "$size" -le $((1024 * 1024)) ] || fail "the animation is $size bytes, over 1 MiB"
    echo "animation: $folder/demo.gif ($(identify "$folder/demo.gif" | wc -l) frames, $((size / 1024)) KiB)"
fi
rm -rf "$frames" "$pauses"

"$wine_run" "$state" "$bin/window_tool.exe" close TForm1 || fail "kaveto's window did not close"
for _ in $(seq 1 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "kaveto did not end after WM_CLOSE"
status=0
wait "$program" || status=$?
program=
[ "$status" -eq 0 ] || fail "kaveto ended with status $status"

echo "settings file: $folder/kaveto.ini"
for_terminal <"$folder/kaveto.ini"
echo
