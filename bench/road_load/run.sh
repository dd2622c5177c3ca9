#!/usr/bin/env bash
# The road with every core busy, on X11 (the session bench/run.sh gives) and
# under KWin and sway (each in a headless session of its own): 20 roads under
# load per session beside 7 on the quiet machine, failures counted.
# Usage: run.sh BUILD_DIR
set -uo pipefail
build=$1
support=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tests/support" && pwd)
status=0
QT_QPA_PLATFORM=xcb "$build/bench/road/bench_road" --under-load "X11 (openbox)" || status=1
for session in "kde:KDE Plasma (KWin, Xwayland)" "sway:sway (Xwayland)"; do
    compositor=${session%%:*}
    QT_QPA_PLATFORM=xcb "$support/wayland-session.sh" "$compositor" "$support/sound-session.sh" \
        "$build/bench/road/bench_road" --under-load "${session#*:}" || status=1
done
exit $status
