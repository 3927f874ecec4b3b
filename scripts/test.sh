#!/usr/bin/env bash
# Builds everything and runs every test: the native suite (with sanitizers),
# the Windows build under Wine, and the fuzz targets for a short time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
start=$(date +%s)
status=0
for preset in native windows fuzz; do
    echo "=== workflow: $preset ==="
    cmake --workflow --preset "$preset" || status=1
done
echo "=== all workflows done in $(( $(date +%s) - start )) s, status $status ==="
exit $status
