#!/usr/bin/env bash
# Runs a command against a private sound server (PulseAudio in user mode),
# then stops the server. Usage: sound-session.sh COMMAND [ARGS...]
# Exit status: the command's. Composes with x11-session.sh in either order.
#
# The server has a null sink "virt" (the default output) and a microphone
# "virtmic" (the default input) that hears whatever is played into "virt":
# play speech into "virt" (paplay --device=virt FILE) and a program recording
# from the default input records it. The command gets PULSE_SERVER pointing
# at the server and XDG_RUNTIME_DIR (the one it already has, else a fresh
# one), and XDG_CACHE_HOME in the session's folder; SOUND_SESSION_SINK and
# SOUND_SESSION_SOURCE name the two devices.
set -u

work=$(mktemp -d "${TMPDIR:-/tmp}/sound-session.XXXXXX")
server_pid=
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null
        # A server that does not end on its own within 5 s is ended hard.
        for _ in $(seq 1 100); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.05; done
        kill -KILL "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The server's own runtime folder and home (it writes a cookie there) are
# private, so it never meets a desktop's own sound server.
mkdir -m 700 "$work/runtime" "$work/home"
socket=$work/runtime/pulse/native
export PULSE_SERVER=unix:$socket
if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -d "$XDG_RUNTIME_DIR" ]; then
    export XDG_RUNTIME_DIR=$work/runtime
fi

# No session bus either: the server stays private, and several can run at
# once. A client may end it (pactl exit), as a desktop's server can end.
HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config \
    DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr \
    --disallow-exit=no \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$socket" \
    -L "module-null-sink sink_name=virt sink_properties=device.description=virt" \
    -L "module-remap-source master=virt.monitor source_name=virtmic source_properties=device.description=virtmic" \
    -L "module-null-sink sink_name=keepalive sink_properties=device.description=keepalive" \
    -L "module-loopback source=virt.monitor sink=keepalive latency_msec=20" \
    >"$work/pulseaudio.log" 2>&1 &
server_pid=$!

# The server is ready once it answers.
for _ in $(seq 1 200); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$server_pid" 2>/dev/null ||
        { cat "$work/pulseaudio.log" >&2; echo "pulseaudio did not start" >&2; exit 1; }
    sleep 0.05
done
pactl info >/dev/null 2>&1 || { cat "$work/pulseaudio.log" >&2; echo "pulseaudio does not answer" >&2; exit 1; }

pactl set-default-sink virt && pactl set-default-source virtmic || exit 1
# An idle null sink falls asleep and then hands the first samples over late;
# the loopback keeps it busy, and suspending and resuming it once starts its
# clock afresh.
pactl suspend-sink virt 1 && pactl suspend-sink virt 0 || exit 1

# What programs keep in the user's cache folder (the sound recorder's
# recordings under way) goes into this session's folder and away with it,
# also what a recorder that a test ended hard left behind.
mkdir -m 700 "$work/cache"
export XDG_CACHE_HOME=$work/cache

export SOUND_SESSION_SINK=virt SOUND_SESSION_SOURCE=virtmic
"$@"
status=$?
exit $status
