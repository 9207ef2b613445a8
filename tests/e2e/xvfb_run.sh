#!/bin/sh
# Runs a command inside its own Xvfb server with a window manager, so that windows get
# focus, decorations and close requests as on a desktop. The screen is 1600 x 1200 with
# 24 bits unless TINDRAL_XVFB_SCREEN names another (WIDTHxHEIGHTxDEPTH).
# Usage: xvfb_run.sh COMMAND [ARGS...]
#
# The server picks a free display number itself and reports it once it accepts clients
# (-displayfd), so servers started at the same moment never race for a number. It admits
# only clients holding the cookie in the private file that the command gets as $XAUTHORITY,
# with $DISPLAY naming the server. The exit status is the command's.
set -eu
export SDL_VIDEODRIVER=x11
screen=${TINDRAL_XVFB_SCREEN:-1600x1200x24}

work=$(mktemp -d "${TMPDIR:-/tmp}/tindral-xvfb-XXXXXX")
xvfb=
wm=
finish() {
    [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

# The display number is known only once the server runs, so the cookie is written for any
# display number (family "wild", no number): the server reads every cookie of the file.
export XAUTHORITY="$work/Xauthority"
: >"$XAUTHORITY"
printf 'ffff 0000  0000  0012 4d49542d4d414749432d434f4f4b49452d31 0010 %s\n' "$(mcookie)" |
    xauth -q nmerge -

mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -auth "$XAUTHORITY" \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
# Blocks until the server writes its number, or until it ends without one.
number=
read -r number <"$work/display" || true
if [ -z "$number" ]; then
    echo "xvfb_run.sh: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$number"

# Wait until the window manager owns the screen and names itself. On a loaded machine that
# can take many seconds, and a window manager started beside several others now and then
# gives up at once: it is started again. Without it no window could be found or closed, so
# a test would fail for a reason that is not its own: say so instead.
attempt=0
while :; do
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm=$!
    i=0
    while ! wmctrl -m >/dev/null 2>&1 && kill -0 "$wm" 2>/dev/null && [ $i -lt 600 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    wmctrl -m >/dev/null 2>&1 && break
    attempt=$((attempt + 1))
    if [ $attempt -ge 3 ] || [ $i -ge 600 ]; then
        echo "xvfb_run.sh: the window manager did not start:" >&2
        cat "$work/openbox.log" >&2
        exit 1
    fi
    echo "xvfb_run.sh: the window manager gave up; starting it again:" >&2
    cat "$work/openbox.log" >&2
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
done

status=0
"$@" || status=$?
exit $status
