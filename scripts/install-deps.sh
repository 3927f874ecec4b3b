#!/usr/bin/env bash
# Installs what building and testing Kaveto needs on Debian 12, if missing.
set -euo pipefail
# fonts-ipafont-gothic: Wine finds no Japanese font without it, and the
# demonstration's pictures would show boxes for Japanese text. xclip reads
# the clipboard as X programs see it, through Wine's bridge.
packages=(cmake ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb xauth imagemagick fonts-ipafont-gothic
  clang libclang-rt-14-dev libfuzzer-14-dev libre2-dev libpcre2-dev perl locales zip unzip xclip)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# Wine runs the program in the Japanese ANSI code page (932) under this locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
