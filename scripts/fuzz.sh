#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for the
# given time. Usage: scripts/fuzz.sh [SECONDS-PER-TARGET] [TARGET...]
# Seeds come from tests/fuzz/corpus/<target>; new inputs go to
# build-fuzz/corpus/<target>; each run's log is build-fuzz/<target>.log.
# Prints one line per target: runs, time, and whether it found anything.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-60}
shift || true

"$root/scripts/deps.sh"
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get install -y -q clang libclang-rt-dev
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DTINDREL_FUZZ=ON >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(ls "$root/tests/fuzz/corpus")
fi
for t in "${targets[@]}"; do
    cmake --build "$build" --target "fuzz_$t" >/dev/null
    mkdir -p "$build/corpus/$t"
    status=0
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/crash-$t-" "$build/corpus/$t" "$root/tests/fuzz/corpus/$t" \
        >"$build/$t.log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$t.log" | tail -n1)
    cov=$(sed -n 's/.*DONE.*cov: \([0-9]*\).*/\1/p' "$build/$t.log" | tail -n1)
    corp=$(sed -n 's/.*DONE.*corp: \([0-9]*\).*/\1/p' "$build/$t.log" | tail -n1)
    if [ "$status" -eq 0 ]; then verdict="no crash, no sanitizer report"; else verdict="FAILED (exit $status, see $build/$t.log)"; fi
    echo "fuzz_$t: ${runs:-?} runs in ${seconds} s, coverage ${cov:-?} points, corpus ${corp:-?} inputs: $verdict"
done
