#!/usr/bin/env bash
# Runs a command on a private X display (Xvfb) with a real window manager
# (openbox), then stops both. Usage: x11-session.sh [--own-home] COMMAND [ARGS...]
# --own-home: the command (and the session bus it may start, with the
# services that keep settings, such as the accessibility switch) gets a home
# folder of the session's own instead of the user's.
# SESSION_PORTAL (desktop-portal.sh): the desktop portal as an X11 desktop
# runs it (with --own-home), or none.
# Exit status: the command's.
set -u
own_home=
if [ "${1:-}" = --own-home ]; then
    own_home=1
    shift
fi

geometry=${X11_SESSION_GEOMETRY:-1280x1024x24}
work=$(mktemp -d "${TMPDIR:-/tmp}/x11-session.XXXXXX")
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

xvfb_pid=
wm_pid=
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# -displayfd picks a free display number and writes it when the server is ready.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "$geometry" 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 200); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb gave no display number" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it has announced itself on the root window.
for _ in $(seq 1 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    kill -0 "$wm_pid" 2>/dev/null || { cat "$work/openbox.log" >&2; echo "openbox did not start" >&2; exit 1; }
    sleep 0.05
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
    { echo "openbox did not come up" >&2; exit 1; }

if [ -n "$own_home" ]; then
    mkdir -p "$work/home"
    export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
fi
. "$(dirname "$0")/desktop-portal.sh"
if [ "${SESSION_PORTAL:-none}" != none ]; then
    [ -n "$own_home" ] || { echo "the desktop portal needs --own-home" >&2; exit 2; }
    # The desktops that install this backend say who they are.
    export XDG_CURRENT_DESKTOP=${XDG_CURRENT_DESKTOP:-XFCE}
fi
session_portal x11 "$work/home/.config" || exit 1
"$@"
status=$?
exit $status
