#!/usr/bin/env bash
# Runs a command with a private sound server (PulseAudio in user mode), then
# stops it. Usage: sound-session.sh COMMAND [ARGS...]; composes with
# x11-session.sh (x11-session.sh sound-session.sh COMMAND ...).
# The server has a null sink "virt" (the default output) and a microphone
# "virtmic" (the default input) that hears whatever is played into "virt".
# The command gets XDG_RUNTIME_DIR and PULSE_SERVER. Exit status: the command's.
set -u

work=$(mktemp -d "${TMPDIR:-/tmp}/sound-session.XXXXXX")
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR" "$work/home"
export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native

pa_pid=
cleanup() {
    [ -n "$pa_pid" ] && kill "$pa_pid" 2>/dev/null && wait "$pa_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cat >"$work/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse/native
load-module module-null-sink sink_name=virt
load-module module-null-sink sink_name=keepalive
load-module module-remap-source master=virt.monitor source_name=virtmic
load-module module-loopback source=virt.monitor sink=keepalive latency_msec=20
PA
mkdir -m 700 "$XDG_RUNTIME_DIR/pulse"
# No session bus: the server stays private, and several can run at once.
HOME=$work/home DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disallow-exit=no -F "$work/default.pa" >"$work/pulseaudio.log" 2>&1 &
pa_pid=$!
for _ in $(seq 1 200); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$pa_pid" 2>/dev/null || { cat "$work/pulseaudio.log" >&2; echo "pulseaudio did not start" >&2; exit 1; }
    sleep 0.05
done
pactl info >/dev/null 2>&1 || { cat "$work/pulseaudio.log" >&2; echo "pulseaudio did not come up" >&2; exit 1; }
pactl set-default-sink virt && pactl set-default-source virtmic &&
    pactl suspend-sink virt 1 && pactl suspend-sink virt 0 ||
    { echo "pulseaudio could not be set up" >&2; exit 1; }

"$@"
status=$?
exit $status
