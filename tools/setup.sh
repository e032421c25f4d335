#!/bin/sh
# Installs what a fresh Debian 12 machine lacks to build and test the project.
# Idempotent: when everything is present it only checks and returns.
set -e
need=""
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

for p in g++-mingw-w64-i686 wine wine32:i386 wine64 g++-mingw-w64-x86-64-posix fonts-wine xvfb xauth imagemagick locales \
         cmake ninja-build clang libclang-rt-14-dev; do
    have_pkg "$p" || need="$need $p"
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo

if [ -n "$need" ]; then
    echo "setup: installing$need"
    if ! dpkg --print-foreign-architectures | grep -q i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $need >/dev/null
fi

# The German locale the office runs in (decimal ",", code page 850).
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
    echo "setup: generating de_DE.UTF-8"
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
exit 0
