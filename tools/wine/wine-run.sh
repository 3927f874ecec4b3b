#!/usr/bin/env bash
# Runs one Windows program under the test run's Wine environment:
#   wine-run.sh STATE_DIR program.exe [arguments...]
# wine-env.sh start must have prepared STATE_DIR.
set -euo pipefail
state=${1:?state folder}
shift
if [ ! -f "$state/display" ]; then
    echo "wine-run: no Wine environment in $state (run wine-env.sh start)" >&2
    exit 1
fi
export WINEPREFIX="$state/prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 DISPLAY="$(cat "$state/display")"
exec wine "$@"
