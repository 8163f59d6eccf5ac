#!/bin/sh
# Sets up $WINEPREFIX if it is new, on the current display, and waits until
# its set-up processes have ended: a program started before then can find no
# display driver and get no window, hence no way to quit.
set -eu
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  timeout 120 wineserver -w || true
fi
