#!/usr/bin/env bash
# Installs the build into a scratch root, checks the tree, builds the Debian
# package and fails on any lintian error (lintian itself checks the package's
# conffiles, copyright, changelog and stripped programs).
#   check_install.sh BUILD_DIR COMMAND...   (the commands expected on PATH)
set -euo pipefail

build=$(cd "$1" && pwd)
shift

for tool in cpack dpkg-deb lintian desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# has FILE LINE: FILE holds LINE, whole.
has() { grep -qxF "$2" "$1" 2>/dev/null || fail "$1 lacks the line $2"; }

DESTDIR=$root cmake --install "$build" --prefix /usr >"$scratch/install.log"

programs=$root/usr/lib/k4-data-transfer
for file in libk4xls.so TQLogo.png; do
  [ -f "$programs/$file" ] || fail "$file is not in the program folder"
done
for command in "$@"; do
  link=$root/usr/bin/$command
  # Relative links, into the program folder, so that any prefix works.
  [ -L "$link" ] && [[ $(readlink "$link") != /* ]] && [ -f "$link" ] && [ -x "$link" ] &&
    [[ $(readlink -f "$link") == "$programs"/* ]] || fail "$command is no relative link to a program in $programs"
done

settings="$root/etc/xdg/Tavrin Co/K4 Data Transfer Application.conf"
for line in '[Configuration]' 'VID=0x10c4' 'PID=0xea60' 'RunOnStart=1' 'MainAppPath=/usr/lib/k4-data-transfer/'; do
  has "$settings" "$line"
done
has "$root/usr/lib/udev/rules.d/70-k4-data-transfer.rules" \
  'SUBSYSTEM=="tty", ATTRS{idVendor}=="10c4", ATTRS{idProduct}=="ea60", TAG+="uaccess", ENV{ID_MM_DEVICE_IGNORE}="1"'

autostart=$root/etc/xdg/autostart/dockstart.desktop
[[ " $* " != *" dockstart "* ]] || has "$autostart" 'Exec=dockstart WINSTART'
for entry in "$root"/usr/share/applications/*.desktop "$autostart"; do
  [ -f "$entry" ] || continue
  desktop-file-validate "$entry" || fail "$(basename "$entry") does not validate"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$(basename "$entry"): no icon $icon"
  exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -L "$root/usr/bin/$exec_command" ] || fail "$(basename "$entry") runs $exec_command, which is not installed"
done

(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log") ||
  { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$(ls "$scratch"/package/k4-data-transfer_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  fail "no package built"
else
  echo "package: $(basename "$deb")"
  lintian --tag-display-limit 0 "$deb" | tee "$scratch/lintian.log" || true
  ! grep -q '^E:' "$scratch/lintian.log" || fail "lintian reports errors"
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "install tree and package are fine"
