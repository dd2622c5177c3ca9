#!/usr/bin/env bash
# Runs a command in a private Wayland session under a headless compositor
# with its Xwayland, then stops it all. Usage:
#   wayland-session.sh gnome|kde|sway COMMAND [ARGS...]
# Exit status: the command's; 75 when it failed because the session itself
# ended under it (the compositor or its Xwayland gone), which a caller may
# take as a reason to run it once more.
#
# The command gets WAYLAND_DISPLAY (a name in XDG_RUNTIME_DIR, as a desktop
# sets it; on sway a link there to the socket in sway's own runtime folder), DISPLAY and XAUTHORITY of
# the compositor's Xwayland, XDG_SESSION_TYPE=wayland, XDG_CURRENT_DESKTOP,
# a private D-Bus session bus, and WAYLAND_SESSION_KIND. The screen is
# WAYLAND_SESSION_SIZE (1280x1024). SESSION_PORTAL (desktop-portal.sh): the
# desktop portal with the compositor's desktop's backends, or none.
# SESSION_DATA_DIR: a folder read before the system's data folders, as if
# installed there (KWin grants its fake input by the program's desktop
# entry). Composes with sound-session.sh.
#
# What each compositor needs here:
#   gnome  gnome-shell --headless --wayland; it wants a system bus (a private
#          one is started) and /tmp/.X11-unix writable by all. A session
#          opens in the Activities overview, which takes every key until it
#          is left, as a person leaves it after logging in: the session uses
#          a mode of its own that has no overview at start. A headless seat
#          has no keyboard: gnome-seat-keyboard.py plugs a virtual one in.
#   kde    kwin_wayland --virtual --xwayland; the installed binary carries a
#          file capability that these machines refuse, so a copy without it
#          runs (a copy keeps no capabilities).
#   sway   WLR_BACKENDS=headless; sway will not run as root, so it runs as
#          the user "nobody" with a runtime folder of its own, and its
#          Xwayland is told to admit the local user who runs the command.
set -u

kind=${1:-}
shift || true
case "$kind" in
gnome | kde | sway) ;;
*)
    echo "usage: wayland-session.sh gnome|kde|sway COMMAND [ARGS...]" >&2
    exit 2
    ;;
esac
size=${WAYLAND_SESSION_SIZE:-1280x1024}
width=${size%x*}
height=${size#*x}

work=$(mktemp -d "${TMPDIR:-/tmp}/wayland-session.XXXXXX")
chmod 755 "$work"
pids=()
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${pids[@]}"; do
        for _ in $(seq 1 100); do kill -0 "$p" 2>/dev/null || break; sleep 0.05; done
        kill -KILL "$p" 2>/dev/null
        wait "$p" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

show_logs() {
    for log in "$work"/*.log; do
        [ -f "$log" ] && { echo "--- $log" >&2; tail -n 40 "$log" >&2; }
    done
}
fail() {
    echo "wayland-session ($kind): $*" >&2
    show_logs
    exit 1
}

# Waits up to 30 s for a condition (a command), while process $2 lives.
wait_for() {
    local what=$1 pid=$2
    shift 2
    for _ in $(seq 1 600); do
        "$@" >/dev/null 2>&1 && return 0
        kill -0 "$pid" 2>/dev/null || fail "the compositor ended while waiting for $what"
        sleep 0.05
    done
    fail "no $what after 30 s"
}

# The display of the Xwayland that process $1 started: its first argument ":N".
xwayland_display() {
    local x
    for x in $(pgrep -P "$1" -x Xwayland); do
        tr '\0' '\n' <"/proc/$x/cmdline" | sed -n '2{/^:[0-9]\+$/p}'
        return 0
    done
    return 1
}
xwayland_auth() {
    local x
    for x in $(pgrep -P "$1" -x Xwayland); do
        tr '\0' '\n' <"/proc/$x/cmdline" | sed -n '/^-auth$/{n;p}'
    done
}
x_answers() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# The programs' own runtime folder and session bus.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_SESSION_TYPE=wayland
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY
mkdir -p /tmp/.X11-unix 2>/dev/null && chmod 1777 /tmp/.X11-unix 2>/dev/null

# The services it starts (the accessibility bus among them, which keeps its
# switch in the user's settings) see a home folder of the session's own.
mkdir -p "$work/home"
. "$(dirname "$0")/desktop-portal.sh"
session_portal "$kind" "$work/home/.config" || exit 1
# Nor do they get the toolkit choices made for the command (the portal's
# backend runs natively, as the desktop starts it).
env -u QT_QPA_PLATFORM -u GDK_BACKEND HOME=$work/home XDG_CONFIG_HOME=$work/home/.config \
    dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/session-bus" \
    >"$work/session-bus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/session-bus
wait_for "session bus" "${pids[-1]}" test -S "$work/session-bus"

case "$kind" in
gnome)
    cat >"$work/system-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
    dbus-daemon --config-file="$work/system-bus.conf" --nofork --nopidfile \
        >"$work/system-bus.log" 2>&1 &
    pids+=($!)
    export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/system-bus
    wait_for "system bus" "${pids[-1]}" test -S "$work/system-bus"
    # The ordinary session, without the overview at its start.
    mkdir -p "$work/data/gnome-shell/modes"
    echo '{ "parentMode": "user", "hasOverview": false }' \
        >"$work/data/gnome-shell/modes/tindrel-session.json"
    export XDG_CURRENT_DESKTOP=GNOME
    XDG_DATA_DIRS="$work/data:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}" \
        gnome-shell --headless --wayland --wayland-display=wayland-0 --mode=tindrel-session \
        --virtual-monitor "${width}x${height}" >"$work/compositor.log" 2>&1 &
    compositor=$!
    pids+=($compositor)
    wait_for "Wayland socket" $compositor test -S "$XDG_RUNTIME_DIR/wayland-0"
    export WAYLAND_DISPLAY=wayland-0
    wait_for "Xwayland" $compositor xwayland_display $compositor
    DISPLAY=$(xwayland_display $compositor)
    XAUTHORITY=$(xwayland_auth $compositor)
    export DISPLAY XAUTHORITY
    # A keyboard on the seat, as a desktop has.
    /usr/bin/python3 "$(dirname "$0")/gnome-seat-keyboard.py" >"$work/keyboard.out" 2>"$work/keyboard.log" &
    pids+=($!)
    wait_for "seat keyboard" "${pids[-1]}" grep -q ready "$work/keyboard.out"
    ;;
kde)
    # A copy of the binary carries no file capabilities.
    cp /usr/bin/kwin_wayland "$work/kwin_wayland"
    export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5
    # KWin grants a program its privileged interfaces (fake input) by the
    # program's desktop entry, found in the index of applications that KDE's
    # frameworks build from the desktop's applications menu. Plasma installs
    # that menu and its session start names it (XDG_MENU_PREFIX); without
    # them KWin 6 finds no application at all. The session has the same, and
    # an index of its own, built when KWin first looks (one left by another
    # session may predate the menu or the session's entries).
    mkdir -p "$work/xdg/menus"
    cat >"$work/xdg/menus/plasma-applications.menu" <<'EOF'
<!DOCTYPE Menu PUBLIC "-//freedesktop//DTD Menu 1.0//EN"
 "http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd">
<Menu>
  <Name>Applications</Name>
  <DefaultAppDirs/>
  <DefaultDirectoryDirs/>
  <Include><All/></Include>
</Menu>
EOF
    # KWin starts the given program with the session's variables; it writes them down.
    env -u DISPLAY XDG_MENU_PREFIX=plasma- XDG_CONFIG_DIRS="$work/xdg:${XDG_CONFIG_DIRS:-/etc/xdg}" \
        XDG_CACHE_HOME="$work/cache" \
        XDG_DATA_DIRS="${SESSION_DATA_DIR:+$SESSION_DATA_DIR:}${XDG_DATA_DIRS:-/usr/local/share:/usr/share}" \
        "$work/kwin_wayland" --virtual --xwayland --no-lockscreen --no-global-shortcuts \
        --width "$width" --height "$height" --socket wayland-0 \
        --exit-with-session "$(command -v sh) -c 'env > $work/session.env; exec sleep infinity'" \
        >"$work/compositor.log" 2>&1 &
    compositor=$!
    pids+=($compositor)
    wait_for "session start" $compositor test -s "$work/session.env"
    export WAYLAND_DISPLAY=wayland-0
    DISPLAY=$(sed -n 's/^DISPLAY=//p' "$work/session.env")
    XAUTHORITY=$(sed -n 's/^XAUTHORITY=//p' "$work/session.env")
    export DISPLAY
    if [ -n "$XAUTHORITY" ]; then export XAUTHORITY; else unset XAUTHORITY; fi
    ;;
sway)
    user=nobody
    runtime=$work/compositor-runtime
    mkdir -m 700 "$runtime" && chown "$user" "$runtime"
    cat >"$work/sway.config" <<EOF
output HEADLESS-1 resolution ${width}x${height} position 0 0
xwayland enable
exec sh -c 'env > $runtime/session.env.part && mv $runtime/session.env.part $runtime/session.env'
EOF
    chmod 644 "$work/sway.config"
    export XDG_CURRENT_DESKTOP=sway
    env -u DBUS_SESSION_BUS_ADDRESS HOME="$runtime" XDG_RUNTIME_DIR="$runtime" \
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
        sway --config "$work/sway.config" >"$work/compositor.log" 2>&1 &
    compositor=$!
    pids+=($compositor)
    wait_for "session start" $compositor test -s "$runtime/session.env"
    # A name in the command's runtime folder, as a desktop sets it (a sandboxed
    # web view binds that folder's socket by name only).
    ln -s "$runtime/$(sed -n 's/^WAYLAND_DISPLAY=//p' "$runtime/session.env")" "$XDG_RUNTIME_DIR/wayland-0"
    export WAYLAND_DISPLAY=wayland-0
    DISPLAY=$(sed -n 's/^DISPLAY=//p' "$runtime/session.env")
    export DISPLAY SWAYSOCK=$(sed -n 's/^SWAYSOCK=//p' "$runtime/session.env")
    ;;
esac

[ -n "$DISPLAY" ] || fail "the compositor started no Xwayland"
if [ "$kind" = sway ]; then
    # Xwayland admits the user it runs as; the command's user is let in too.
    wait_for "Xwayland" $compositor setpriv --reuid="$user" --regid="$(id -g "$user")" \
        --clear-groups env HOME="$runtime" xhost "+si:localuser:$(id -un)" >/dev/null 2>&1
fi
# Xwayland is up once its window manager (the compositor) has announced itself.
wait_for "X window manager" $compositor x_answers

if [ "${SESSION_PORTAL:-none}" != none ]; then
    # The services the session bus starts from now on (the portal and its
    # backend) reach the compositor, as a desktop's session start sees to.
    dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY XDG_CURRENT_DESKTOP \
        XDG_SESSION_TYPE ${SWAYSOCK:+SWAYSOCK} || fail "the session bus took no environment"
fi

export WAYLAND_SESSION_KIND=$kind
"$@"
status=$?
if [ $status -ne 0 ]; then
    # What the compositor said, for a command that failed.
    show_logs
    if ! kill -0 "$compositor" 2>/dev/null || ! x_answers; then
        echo "wayland-session ($kind): the session ended under the command" >&2
        status=75
    fi
fi
exit $status
