#!/usr/bin/env bash
# Installs the build into a scratch root, checks the tree, builds the Debian
# package and fails on any lintian error.
#   check_install.sh BUILD_DIR COMMAND...   (the commands expected on PATH)
set -euo pipefail

build=$(cd "$1" && pwd)
shift
expected_commands=("$@")

for tool in cpack dpkg-deb lintian desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR=$root cmake --install "$build" --prefix /usr >"$scratch/install.log"

programs=$root/usr/lib/k4-data-transfer
for file in libk4xls.so TQLogo.png; do
  [ -f "$programs/$file" ] || fail "$file is not in the program folder"
done
for command in "${expected_commands[@]}"; do
  link=$root/usr/bin/$command
  [ -L "$link" ] || { fail "$command is not a link in /usr/bin"; continue; }
  target=$(readlink "$link")
  case "$target" in
    /*) fail "$command links to the absolute $target" ;;
  esac
  [ -x "$link" ] && [ -f "$link" ] || fail "$command links to $target, which is no program"
  case "$(readlink -f "$link")" in
    "$programs"/*) ;;
    *) fail "$command does not lead into the program folder" ;;
  esac
done

settings="$root/etc/xdg/Tavrin Co/K4 Data Transfer Application.conf"
if [ -f "$settings" ]; then
  for line in '[Configuration]' 'VID=0x10c4' 'PID=0xea60' 'RunOnStart=1' 'MainAppPath=/usr/lib/k4-data-transfer/'; do
    grep -qxF "$line" "$settings" || fail "settings lack the line $line"
  done
else
  fail "no system-wide settings file"
fi

rules=$root/usr/lib/udev/rules.d/70-k4-data-transfer.rules
grep -qF 'SUBSYSTEM=="tty", ATTRS{idVendor}=="10c4", ATTRS{idProduct}=="ea60", TAG+="uaccess", ENV{ID_MM_DEVICE_IGNORE}="1"' \
  "$rules" 2>/dev/null || fail "udev rule missing or different"

autostart=$root/etc/xdg/autostart/dockstart.desktop
if printf '%s\n' "${expected_commands[@]}" | grep -qx dockstart; then
  grep -qx 'Exec=dockstart WINSTART' "$autostart" 2>/dev/null || fail "autostart entry missing or without WINSTART"
fi
for entry in "$root"/usr/share/applications/*.desktop "$autostart"; do
  [ -f "$entry" ] || continue
  desktop-file-validate "$entry" || fail "$(basename "$entry") does not validate"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$(basename "$entry"): no icon $icon"
  exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -L "$root/usr/bin/$exec_command" ] || fail "$(basename "$entry") runs $exec_command, which is not installed"
done
[ -f "$root/usr/share/doc/k4-data-transfer/copyright" ] || fail "no copyright file"
gzip -t "$root/usr/share/doc/k4-data-transfer/changelog.gz" 2>/dev/null || fail "no compressed changelog"

# The package.
(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log") ||
  { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$(ls "$scratch"/package/k4-data-transfer_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  fail "no package built"
else
  echo "package: $(basename "$deb")"
  dpkg-deb -f "$deb" Depends
  conffiles=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles)
  grep -qxF '/etc/k4-data-transfer/k4-data-transfer.conf' <<<"$conffiles" || fail "settings are no conffile"
  grep -qxF '/etc/xdg/autostart/dockstart.desktop' <<<"$conffiles" || fail "autostart entry is no conffile"
  dpkg-deb -c "$deb" | grep './usr/lib/udev/rules.d/70-k4-data-transfer.rules' >/dev/null || fail "package lacks the udev rule"
  dpkg-deb -x "$deb" "$scratch/unpacked"
  if file "$scratch"/unpacked/usr/lib/k4-data-transfer/* | grep -E 'ELF' | grep -q 'not stripped'; then
    fail "unstripped files in the package"
  fi
  lintian --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 || true
  cat "$scratch/lintian.log"
  if grep -q '^E:' "$scratch/lintian.log"; then
    fail "lintian reports errors"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "install tree and package are fine"
