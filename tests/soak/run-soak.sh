#!/usr/bin/env bash
# Runs the soak test under a Wine environment of its own, stopped again
# however the run ends:
#   run-soak.sh BUILD_DIR [test arguments...]
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
shift
tools=$(cd "$(dirname "$0")/../../tools/wine" && pwd)
state=$build/wine
"$tools/wine-env.sh" start "$state"
trap '"$tools/wine-env.sh" stop "$state"' EXIT
"$tools/wine-run.sh" "$state" "$build/bin/kaveto_soak.exe" --gtest_color=no "$@"
