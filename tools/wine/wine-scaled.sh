#!/usr/bin/env bash
# Runs one Windows program under the test run's Wine environment at other
# display scales, one run for each, and sets the scale back to 100 %
# afterwards, also when a run fails:
#   wine-scaled.sh STATE_DIR DPI[,DPI...] program.exe [arguments...]
# Each run finds the scale it was asked for in KAVETO_DPI. A change of scale
# restarts the Wine server; the Windows tests run one at a time, so no other
# test sees the scale.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
state=${1:?state folder}
dpis=${2:?dpi list}
shift 2
trap '"$here/wine-env.sh" scale "$state" 96' EXIT
status=0
for dpi in ${dpis//,/ }; do
    echo "=== at $dpi dpi"
    "$here/wine-env.sh" scale "$state" "$dpi"
    KAVETO_DPI=$dpi "$here/wine-run.sh" "$state" "$@" || status=1
done
exit $status
