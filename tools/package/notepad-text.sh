#!/bin/sh
# Copies a UTF-8 text file as Notepad expects it: CR LF line ends and, with
# --bom, a byte-order mark first.
#   notepad-text.sh [--bom] IN OUT
set -eu
bom=
if [ "$1" = "--bom" ]; then bom=1; shift; fi
in=$1
out=$2
mkdir -p "$(dirname "$out")"
{
    [ -n "$bom" ] && printf '\357\273\277'
    sed 's/\r$//; s/$/\r/' "$in"
} >"$out"
