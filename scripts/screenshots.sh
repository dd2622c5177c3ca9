#!/usr/bin/env bash
# Inside a virtual display: starts $RUN_BINARY, waits until its windows are
# up, saves a screenshot of each window and of the screen into $RUN_SHOTS,
# then ends the program.
set -euo pipefail
: "${RUN_BINARY:?}" "${RUN_SHOTS:?}" "${RUN_PROGRAM:?}"

"$RUN_BINARY" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

# The program's own windows, as the window manager lists them.
own_windows() {
    local ids
    ids=$(xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/.*# //p' | tr -d ',')
    for w in $ids; do
        if xprop -id "$w" _NET_WM_PID 2>/dev/null | grep -q "= $pid\$"; then
            echo "$w"
        fi
    done
}

for _ in $(seq 1 100); do
    [ -n "$(own_windows)" ] && break
    kill -0 "$pid" 2>/dev/null || { echo "$RUN_PROGRAM ended early" >&2; exit 1; }
    sleep 0.1
done
sleep 3 # let the program finish its start-up and draw

rm -f "$RUN_SHOTS/$RUN_PROGRAM"-*.png
n=0
for w in $(own_windows); do
    n=$((n + 1))
    title=$(xprop -id "$w" _NET_WM_NAME 2>/dev/null | sed -n 's/.*= "\(.*\)"$/\1/p' | tr -c 'A-Za-z0-9\n' '-' | head -c 60)
    import -window "$w" -frame "$RUN_SHOTS/$RUN_PROGRAM-window$n-${title:-untitled}.png" 2>/dev/null || true
done
import -window root "$RUN_SHOTS/$RUN_PROGRAM-screen.png"
