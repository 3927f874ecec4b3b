#!/usr/bin/env bash
# Builds the Windows program if needed and runs it from a fresh program folder
# under Wine.
#   With a display ($DISPLAY set): runs on it in the user's Wine prefix until
#   the program is closed.
#   Without one: starts a private Wine environment on a virtual display (a
#   prefix under build/) and demonstrates the program there: tools/demo's
#   driver quotes a stand-in browser's page by a double-click on the picture,
#   drops a link on it and pastes the newest history entry back into a
#   stand-in editor with the hotkey, printing each result. Then a screenshot,
#   the program is closed as a user would (WM_CLOSE), the settings file it
#   wrote is printed and the environment is stopped again. Any step that
#   fails is named and the script exits non-zero; the clean-up always runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
fail() { echo "run.sh: $*" >&2; exit 1; }
build="$root/build/windows"
if [ ! -f "$build/build.ninja" ]; then
    (cd "$root" && cmake --preset windows >/dev/null) || fail "the windows preset could not be configured"
fi
targets=(kaveto program_folder)
if [ -z "${DISPLAY:-}" ]; then targets+=(demo_driver); fi
if ! log=$(cmake --build "$build" --target "${targets[@]}" 2>&1); then
    echo "$log" >&2
    fail "the build failed"
fi

run_root="$root/build/run"
mkdir -p "$run_root"
folder=$(mktemp -d "$run_root/kaveto.XXXXXX")
cp "$build/bin/kaveto.exe" "$folder/"
for item in main sub title.txt log; do
    if [ -e "$build/bin/$item" ]; then cp -r "$build/bin/$item" "$folder/"; fi
done
mkdir -p "$folder/log"
echo "program folder: $folder"

export LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
if [ -n "${DISPLAY:-}" ]; then
    exec wine "$folder/kaveto.exe"
fi

tool="$run_root/window_tool.exe"
if [ ! -f "$tool" ] || [ "$root/tools/wine/window_tool.c" -nt "$tool" ]; then
    x86_64-w64-mingw32-gcc-posix -O2 -static -o "$tool" "$root/tools/wine/window_tool.c" ||
        fail "the window tool could not be built"
fi

state="$run_root/wine"
program=
clean_up() {
    if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then kill "$program" 2>/dev/null || true; fi
    "$root/tools/wine/wine-env.sh" stop "$state" >/dev/null 2>&1 || true
}
trap clean_up EXIT
"$root/tools/wine/wine-env.sh" start "$state" >/dev/null || fail "the Wine environment did not start"
display=$(cat "$state/display")
wine_run() { "$root/tools/wine/wine-run.sh" "$state" "$@"; }
# The driver prints Shift_JIS with CR LF; the terminal wants UTF-8 lines.
for_terminal() { iconv -c -f CP932 -t UTF-8 | tr -d '\r'; }

wine_run "$folder/kaveto.exe" &
program=$!
wine_run "$tool" wait TForm1 || fail "kaveto's window did not appear"
sleep 0.5  # let the picture be painted

echo "demonstration:"
demo_out="$folder/demo.txt"
demo_status=0
wine_run "$build/bin/demo_driver.exe" >"$demo_out" || demo_status=$?
for_terminal <"$demo_out"
[ "$demo_status" -eq 0 ] || fail "the demonstration failed (status $demo_status)"

shot="$folder/screenshot.png"
import -window root -display "$display" "$shot" || fail "the screenshot could not be taken"
echo "screenshot: $shot"

wine_run "$tool" close TForm1 || fail "kaveto's window did not close"
for _ in $(seq 1 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "kaveto did not end after WM_CLOSE"
status=0
wait "$program" || status=$?
program=
[ "$status" -eq 0 ] || fail "kaveto ended with status $status"

echo "settings file: $folder/kaveto.ini"
for_terminal <"$folder/kaveto.ini"
echo
