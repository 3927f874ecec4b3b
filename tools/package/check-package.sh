#!/bin/sh
# Builds the release zip from an up-to-date Windows build tree and checks that
# it holds exactly the files a user should get.
#   check-package.sh BUILD_DIR VERSION
set -eu
build=$1
version=$2
top="kaveto-$version-win64"
zip="$build/dist/$top.zip"
cd "$build"
rm -f "$zip"
cpack --config CPackConfig.cmake >/dev/null
expected="$top/LICENSE.txt
$top/guide-en.txt
$top/guide-ja.txt
$top/kaveto.exe
$top/kavetoctl.exe
$top/log/
$top/main/
$top/main/1.html
$top/main/1.txt
$top/main/2.html
$top/main/2.txt
$top/main/3.html
$top/main/3.txt
$top/main/4.html
$top/main/4.txt
$top/sub/
$top/sub/1.txt
$top/sub/2.txt
$top/sub/3.txt
$top/sub/4.txt
$top/title.txt"
actual=$(unzip -Z1 "$zip" | sort)
if [ "$actual" != "$(echo "$expected" | sort)" ]; then
    echo "package contents differ:"
    echo "$actual" | diff -u "$(printf '%s\n' "$expected" | sort | { f=$(mktemp); cat >"$f"; echo "$f"; })" - || true
    exit 1
fi
# The HTML templates are the program folder's own, byte for byte.
for n in 1 2 3 4; do
    unzip -p "$zip" "$top/main/$n.html" | cmp -s - "$(dirname "$0")/../../data/program/main/$n.html" ||
        { echo "main/$n.html differs from data/program/main/$n.html"; exit 1; }
done
# The guides open in Notepad as UTF-8: they begin with a byte-order mark.
for g in guide-en.txt guide-ja.txt; do
    unzip -p "$zip" "$top/$g" | head -c 3 | od -An -tx1 | grep -q "ef bb bf" || { echo "$g has no BOM"; exit 1; }
done
echo "package $zip: $(echo "$actual" | wc -l) entries, $(stat -c %s "$zip") bytes"
