#!/bin/sh
# Builds the release zip into a folder of its own (so that no other test that
# rebuilds the zip can pull it away) and unpacks it as a user would.
#   unpack-package.sh BUILD_DIR OUT_DIR
set -eu
build=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
cd "$build"
cpack --config CPackConfig.cmake -B "$out/zip" >/dev/null
set -- "$out"/zip/*.zip
[ -f "$1" ] || { echo "cpack made no zip in $out/zip"; exit 1; }
unzip -q -o "$1" -d "$out/unzipped"
ls "$out/unzipped"
