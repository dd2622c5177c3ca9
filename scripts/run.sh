#!/usr/bin/env bash
# Runs a program: installs what is missing, builds, and starts vardane
# ("Tindrel"), or order with "scripts/run.sh order".
#
# With a display ($DISPLAY or $WAYLAND_DISPLAY set; on a Wayland session the
# programs run on its Xwayland) the program simply runs there; vardane starts
# the sound recorder built beside it, which records through the desktop's
# sound server. Without a display it runs on a virtual display (Xvfb +
# openbox) for a few seconds, saves a screenshot of each of its windows and of
# the whole screen into a folder, and prints where. For vardane it then also
# plays the whole road (record, save, attach to an e-mail, start over) with
# the sound recorder against a private sound server, spoken words played into
# its microphone, and a real e-mail program where one is installed (else the
# stand-in); it saves a screenshot of each screen on the way and the voice
# file recorded.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
program=${1:-vardane}
case "$program" in
    vardane | order) ;;
    *) echo "usage: scripts/run.sh [vardane|order]" >&2; exit 2 ;;
esac

"$root/scripts/build.sh"
binary=$(find "$build" -type f -name "$program" -perm -u+x | head -n1)
[ -n "$binary" ] || { echo "no $program was built" >&2; exit 1; }

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$binary"
fi

shots=${SCREENSHOT_DIR:-$root/screenshots}
mkdir -p "$shots"
export RUN_BINARY=$binary RUN_SHOTS=$shots RUN_PROGRAM=$program
"$root/tests/support/x11-session.sh" bash "$root/scripts/screenshots.sh"
if [ "$program" = vardane ]; then
    rm -f "$shots"/road-*.png "$shots"/road-voice.wav
    # A real e-mail program, where one is installed, wants a D-Bus session bus.
    bus=()
    command -v dbus-run-session >/dev/null && bus=(dbus-run-session --)
    "$root/tests/support/x11-session.sh" "${bus[@]}" "$root/tests/support/sound-session.sh" \
        "$build/tests/demo/demo_road" "$shots" >/dev/null ||
        echo "The demonstration road stopped early; its screenshots so far are kept." >&2
fi
echo "Screenshots of $program are in $shots:"
ls -1 "$shots" | grep -E "^($program|road)-" | sed 's/^/  /'
