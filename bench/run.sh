#!/usr/bin/env bash
# Builds what the benchmarks need, runs every benchmark (each bench/*/run.sh)
# on a private X display with openbox and a private sound server of its own, and writes the figures to
# bench/RESULTS.md. Usage: bench/run.sh   (build folder: $BUILD_DIR or build/)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
results=$root/bench/RESULTS.md

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
cmake --build "$build" -j2 --target benchmarks

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for script in "$root"/bench/*/run.sh; do
    name=$(basename "$(dirname "$script")")
    echo "== $name" >&2
    if ! "$root/tests/support/x11-session.sh" "$root/tests/support/sound-session.sh" "$script" "$build" | tee -a "$rows"; then
        echo "| $name | did not run to the end | | FAIL |" | tee -a "$rows"
    fi
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
build_type=$(grep -m1 '^CMAKE_BUILD_TYPE:' "$build/CMakeCache.txt" | cut -d= -f2)
{
    echo "# Benchmark results"
    echo
    echo "Written by \`bench/run.sh\`: every row comes from the one run dated below."
    echo
    echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- Machine: $(nproc) cores, ${cpu:-unknown CPU}; load average before/after: $load_before / $load_after"
    echo "- Build: ${build_type:-default}; each benchmark on its own Xvfb display with openbox"
    echo
    echo "| What | Figure | Target | Ratio / verdict |"
    echo "| --- | --- | --- | --- |"
    cat "$rows"
    cat <<'NOTES'

How each figure is taken:

- Waiting CPU: user + system time of the benchmark program and of the Xvfb
  process (/proc/PID/stat) over the 5 s, as a share of one core. Each pass
  looks the title up and then runs one pass over pending events, which sleeps
  until the X connection or a 10 ms timer wakes it; the spinning loop does
  the same look-up with events processed without waiting. The look-up keeps
  its answer until the server reports a change, so while nothing happens
  neither loop asks the server anything: what spinning costs is the
  program's own.
- Wait latency: a helper process creates a titled window and maps it 20 to
  69 ms after being asked; the figure runs from just before its XMapWindow to
  the program's look-up finding the window (CLOCK_MONOTONIC in both). It
  includes openbox managing and framing the window.
- Typing: from the start of the send to the stand-in program reporting the
  whole line after Enter, compared character by character. The second series
  puts two letters into every path that need a new binding of a spare key code
  right before they are typed. The third types 500 random paths while two
  busy processes keep both cores loaded.
- Start-up: from starting the process to its window ("Tindrel" for vardane,
  "Order Now" for order, which reads the full order.ini the build puts beside
  it) being managed and viewable, watched from a separate connection;
  resident memory (VmRSS) is read 500 ms later. The minimal program is the
  classic Qt hello world: one QPushButton as a window. Starts alternate, after
  one warm-up start of each.
- Road: the wizard's buttons pressed one after the other with no time left
  to the user (New, NEXT, Save, Attach Voice), against the stand-in recorder
  and e-mail program; each step runs from the press until the outside program
  has done its part (recording under way, stopped, file written, file
  attached). The pauses the windows ask for are summed by the automation
  layer and taken off. What is left includes starting the recorder (a Qt
  program) and the stand-ins' own reaction; the e-mail program is open
  before each road. The kinds take turns, after one warm-up road.
- Fuzzing: scripts/fuzz.sh, clang with libFuzzer, ASan and UBSan, starting
  from the seed corpora in tests/fuzz/corpus and what earlier runs in
  build-fuzz/ found; coverage is libFuzzer's count of covered points.
- The machine is shared with other work; wall-clock figures grow with its
  load (see the load average above).
NOTES
} >"$results"
echo "Results written to $results" >&2
