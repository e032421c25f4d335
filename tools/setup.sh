#!/bin/sh
# Installs what a fresh Debian 12 machine lacks to build and test the project.
# Idempotent: when everything is present it only checks and returns.
#
# Packages come without their recommendations (less than half the packages
# and a third less to download); what the tools do need of those is named here:
# fonts-liberation stands in for the "Arial" of the titles, and 32-bit Wine's
# X11 driver loads the X extension libraries at run time.
set -e
need=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

# The Windows tool chains (posix thread model only), Wine with its fonts.
pkgs="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 wine32:i386 fonts-wine fonts-liberation"
pkgs="$pkgs libxrender1:i386 libxcursor1:i386 libxi6:i386 libxrandr2:i386 libxinerama1:i386"
pkgs="$pkgs libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386"
# A virtual display, screenshots, the German locale.
pkgs="$pkgs xvfb xauth imagemagick locales"
# Native builds: the tests, the fuzzer, the 32-bit build of the portable
# layers and the emulator that runs it where the kernel runs only 64-bit code.
pkgs="$pkgs cmake ninja-build g++ clang libclang-rt-14-dev g++-multilib qemu-user"
# Tables written by another DBF library, for tests and benchmarks.
pkgs="$pkgs python3-dbf python3-dbfread"
# An RTF reader of its own, for the saved letters.
pkgs="$pkgs unrtf"

for p in $pkgs; do
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
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $need >/dev/null
fi

# The German locale the office runs in (decimal ",", code page 850).
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
    echo "setup: generating de_DE.UTF-8"
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
exit 0
