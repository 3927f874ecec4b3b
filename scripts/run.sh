#!/usr/bin/env bash
# Builds the Windows program if needed and runs it from a fresh program folder
# under Wine.
#   With a display ($DISPLAY set): runs on it in the user's Wine prefix until
#   the program is closed.
#   Without one: starts a private Wine environment on a virtual display (a
#   prefix under build/), takes a screenshot, closes the program as a user
#   would (WM_CLOSE), prints the settings file it wrote and stops the
#   environment again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/windows"
if [ ! -f "$build/build.ninja" ]; then cmake --preset windows -S "$root" >/dev/null; fi
cmake --build "$build" --target kaveto program_folder >/dev/null

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
    x86_64-w64-mingw32-gcc-posix -O2 -static -o "$tool" "$root/tools/wine/window_tool.c"
fi

state="$run_root/wine"
"$root/tools/wine/wine-env.sh" start "$state" >/dev/null
stop_env() { "$root/tools/wine/wine-env.sh" stop "$state" >/dev/null 2>&1 || true; }
trap stop_env EXIT
display=$(cat "$state/display")
wine_run() { "$root/tools/wine/wine-run.sh" "$state" "$@"; }

wine_run "$folder/kaveto.exe" &
program=$!
wine_run "$tool" wait TForm1
sleep 0.5  # let the picture be painted
shot="$folder/screenshot.png"
import -window root -display "$display" "$shot"
echo "screenshot: $shot"

wine_run "$tool" close TForm1
for _ in $(seq 1 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program" 2>/dev/null; then
    echo "kaveto did not end after WM_CLOSE" >&2
    kill "$program" 2>/dev/null || true
    exit 1
fi
wait "$program" || { echo "kaveto ended with status $?" >&2; exit 1; }

echo "settings file: $folder/kaveto.ini"
iconv -f CP932 -t UTF-8 "$folder/kaveto.ini" | tr -d '\r'
echo
