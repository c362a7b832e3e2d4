#!/bin/sh
# Runs one Windows program of the build under Wine, the way every test and
# the demo run: in the build's own Wine prefix, with ANSI code page 932
# (LC_ALL=ja_JP.UTF-8), without Wine's debug output, and on an X display.
#
#   wine-run.sh BUILD_FOLDER PROGRAM [ARGUMENTS...]
#   wine-run.sh BUILD_FOLDER --prepare     creates the prefix only
#
# The prefix is made once per build folder; drive T: of the prefix is a
# scratch folder that tests use as a real drive root, and its folder unc
# holds the network shares they reach (\\host\share is T:\unc\host\share).
set -eu
build=$1
shift
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8

mkdir -p "$build"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix in $WINEPREFIX" >&2
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  if [ ! -f "$WINEPREFIX/.velkin-settings" ]; then
    # Without a window manager, Wine's managed windows take 2 s to close;
    # unmanaged ones close at once (every dialog and message box of a test).
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Let that short-lived server end, so the caller's persistent one can start.
    timeout 30 wineserver -w || true
    touch "$WINEPREFIX/.velkin-settings"
  fi
  mkdir -p "$build/drive-t"
  [ -e "$WINEPREFIX/dosdevices/t:" ] || ln -s "$build/drive-t" "$WINEPREFIX/dosdevices/t:"
  # Wine reads \\host\share\... as dosdevices/unc/host/share/...: the tests'
  # other machines are folders of T:\unc.
  mkdir -p "$build/drive-t/unc"
  [ -e "$WINEPREFIX/dosdevices/unc" ] || ln -s "$build/drive-t/unc" "$WINEPREFIX/dosdevices/unc"
) 9>"$build/.wineprefix.lock"

[ "${1:-}" = "--prepare" ] && exit 0

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a wine "$@"
fi
exec wine "$@"
