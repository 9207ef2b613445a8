#!/bin/sh
# Runs a command inside its own Xvfb server with a window manager, so that windows get
# focus, decorations and close requests as on a desktop. The screen is 1600 x 1200 with
# 24 bits unless TINDRAL_XVFB_SCREEN names another (WIDTHxHEIGHTxDEPTH).
# Usage: xvfb_run.sh COMMAND [ARGS...]
set -eu
export SDL_VIDEODRIVER=x11
screen=${TINDRAL_XVFB_SCREEN:-1600x1200x24}
exec xvfb-run -a -s "-screen 0 $screen -nolisten tcp" sh -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  # Wait until the window manager owns the screen (at most 5 s).
  i=0
  while [ $i -lt 50 ] && ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; do
    sleep 0.1; i=$((i + 1))
  done
  status=0
  "$@" || status=$?
  kill $wm 2>/dev/null || true
  exit $status
' xvfb_run "$@"
