#!/usr/bin/env bash
# Installs what building and testing need, from Debian's packages.
# Does nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format ccache
  libgtest-dev libgmock-dev
  qt6-base-dev libudev-dev
  clang libclang-rt-14-dev
  valgrind time
  python3 python3-xlrd python3-xlwt python3-openpyxl
  gnumeric libreoffice-calc-nogui python3-uno poppler-utils
  xvfb xauth imagemagick x11-apps x11-utils xdotool trayer openbox
  desktop-file-utils lintian dpkg-dev fakeroot
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools googletest
  wine wine64 nsis
  locales
)

# The Windows tests run wine under these users' locales, whose code pages
# (1252, 1251, 932) are what a user's file names must survive.
locales=(de_DE.UTF-8 ru_RU.UTF-8 ja_JP.UTF-8)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
missing_locales=()
for l in "${locales[@]}"; do
  locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || missing_locales+=("$l")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [ ${#missing_locales[@]} -gt 0 ]; then
  echo "Generating locales: ${missing_locales[*]}"
  for l in "${missing_locales[@]}"; do
    $SUDO sed -i -E "s/^# *($l UTF-8)\$/\\1/" /etc/locale.gen
  done
  $SUDO locale-gen >/dev/null
fi
