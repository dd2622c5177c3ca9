#!/usr/bin/env bash
# Builds what the benchmarks need, runs every benchmark (each bench/*/run.sh)
# on a private X display with openbox of its own, and writes the figures to
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
    if ! "$root/tests/support/x11-session.sh" "$script" "$build" | tee -a "$rows"; then
        echo "| $name | did not run to the end | | FAIL |" | tee -a "$rows"
    fi
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
build_type=$(grep -m1 '^CMAKE_BUILD_TYPE:' "$build/CMakeCache.txt" | cut -d= -f2)
{
    echo "# Benchmark results"
    echo
    echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- Machine: $(nproc) cores, ${cpu:-unknown CPU}; load average before/after: $load_before / $load_after"
    echo "- Build: ${build_type:-default}; each benchmark on its own Xvfb display with openbox"
    echo
    echo "| What | Figure | Target | Ratio / verdict |"
    echo "| --- | --- | --- | --- |"
    cat "$rows"
} >"$results"
echo "Results written to $results" >&2
