#!/usr/bin/env bash
# Runs a command several times over with every core of the machine busy, as a
# build, a video call or a browser keep a desktop busy, then ends the busy
# processes. Usage: busy-cores.sh RUNS COMMAND [ARGS...]
# Each run must pass. A run that ends with 75 (its session ended under it,
# see wayland-session.sh) is run once more; any other failure ends here with
# its status. BUSY_CORES sets how many busy processes run (default: one per core).
set -u

runs=$1
shift
count=${BUSY_CORES:-$(nproc)}
busy=()
cleanup() {
    [ ${#busy[@]} -gt 0 ] && kill "${busy[@]}" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Plain busy loops at the same priority as everything else. Each ends by
# itself once this script has gone, killed as it may be (a test's time limit).
for _ in $(seq 1 "$count"); do
    sh -c 'while kill -0 "$PPID" 2>/dev/null; do :; done' &
    busy+=($!)
done
echo "busy-cores: $count busy processes beside $runs runs"

for run in $(seq 1 "$runs"); do
    started=$(date +%s)
    status=75
    for try in 1 2; do
        "$@"
        status=$?
        [ $status -eq 75 ] || break
        echo "busy-cores: run $run: the session ended under it (try $try)"
    done
    echo "busy-cores: run $run of $runs ended with $status after $(( $(date +%s) - started )) s"
    [ $status -eq 0 ] || exit $status
done
exit 0
