#!/usr/bin/env bash
# Makes a fresh program folder under WORK_DIR from a windows build's bin
# folder (kaveto.exe and its default files) and prints its path:
#   program-folder.sh BIN_DIR WORK_DIR
set -euo pipefail
bin=${1:?bin folder}
work=${2:?work folder}
mkdir -p "$work"
folder=$(mktemp -d "$work/kaveto.XXXXXX")
cp "$bin/kaveto.exe" "$folder/"
for item in main sub title.txt log; do
    if [ -e "$bin/$item" ]; then cp -r "$bin/$item" "$folder/"; fi
done
mkdir -p "$folder/log"
echo "$folder"
