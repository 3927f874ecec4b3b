#!/usr/bin/env bash
# Builds the Windows program if needed and runs it from a fresh program folder
# under Wine.
#   With a display ($DISPLAY set): runs on it in the user's Wine prefix until
#   the program is closed.
#   Without one: starts a private Wine environment on a virtual display (a
#   prefix under build/run/) and plays tools/demo/demo.sh there: its driver
#   quotes a classic stand-in browser's page by a double-click on the picture
#   and drops a link on it, quotes a Chrome-like one by a double-click and
#   a dropped selection, and pastes the newest history entry back into a
#   stand-in editor with the hotkey, printing each result. Two pictures of
#   the screen (the history menu open, the editor with the pasted snippet)
#   and an animation of the whole run are saved in the program folder. Then
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
if [ -z "${DISPLAY:-}" ]; then targets+=(demo_driver window_tool); fi
if ! log=$(cmake --build "$build" --target "${targets[@]}" 2>&1); then
    echo "$log" >&2
    fail "the build failed"
fi

run_root="$root/build/run"
mkdir -p "$run_root"

# The Japanese locale is given to the programs run from here, never to this
# shell: a shell started before install-deps.sh generated the locale cannot
# take it (its C library looked for the locale archive once, when the shell
# started, and does not look again) and would say so on every run on a fresh
# machine. The Wine scripts set it for themselves.
if [ -n "${DISPLAY:-}" ]; then
    folder=$("$root/tools/wine/program-folder.sh" "$build/bin" "$run_root")
    echo "program folder: $folder"
    exec env LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all wine "$folder/kaveto.exe"
fi

state="$run_root/wine"
trap '"$root/tools/wine/wine-env.sh" stop "$state" >/dev/null 2>&1 || true' EXIT
"$root/tools/wine/wine-env.sh" start "$state" >/dev/null || fail "the Wine environment did not start"
"$root/tools/demo/demo.sh" "$state" "$build/bin" "$run_root" --gif || fail "the demonstration failed"
