# Sourced by the Windows test scripts: `fresh_wine_prefix FOLDER` makes a new
# wine prefix there with the unit's VID and PID in its registry, and keeps
# one wine server running for it until the script ends, so that each program
# starts in a fraction of a second instead of bringing up a server.
fresh_wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all
  if [[ -e $WINEPREFIX ]]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  rm -f "$WINEPREFIX.handed-over"
  wineboot -i </dev/null >"$WINEPREFIX.boot.log" 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
  wineserver -p </dev/null >/dev/null 2>&1
  local key='HKLM\SOFTWARE\Tavrin Co\K4 Data Transfer Application\Configuration'
  wine reg add "$key" /v VID /t REG_DWORD /d 0x10c4 /f </dev/null >/dev/null 2>&1
  wine reg add "$key" /v PID /t REG_DWORD /d 0xea60 /f </dev/null >/dev/null 2>&1
}

# A boot takes half a minute: test-windows.sh hands its prefix over to
# test-windows-desktop.sh when it passed (`hand_over_wine_prefix`), and
# `wine_prefix FOLDER` takes a prefix handed over within the last half hour,
# once, or makes a fresh one.
hand_over_wine_prefix() {
  end_wine_server
  touch "$WINEPREFIX.handed-over"
}

wine_prefix() {
  if [[ -n $(find "$1.handed-over" -mmin -30 2>/dev/null) && -d $1 ]]; then
    rm -f "$1.handed-over"
    export WINEPREFIX=$1 WINEDEBUG=-all
    wineserver -p </dev/null >/dev/null 2>&1
  else
    fresh_wine_prefix "$1"
  fi
}

end_wine_server() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
