#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, and runs the unit,
# offscreen and real-X11 suites through CTest (the X11 ones start their own
# Xvfb display and openbox window manager). Then builds everything again with
# AddressSanitizer + UndefinedBehaviorSanitizer and runs the same suites
# there; any sanitizer report fails the run.
#
# SKIP_SANITIZERS=1 runs the plain build only.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
asan_build=${ASAN_BUILD_DIR:-$root/build-asan}
jobs=$(nproc)

started=$(date +%s)
"$root/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 900
echo "Plain build and tests took $(( $(date +%s) - started )) s"

if [ "${SKIP_SANITIZERS:-0}" != 1 ]; then
    started=$(date +%s)
    cmake -S "$root" -B "$asan_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTINDREL_SANITIZE=ON >/dev/null
    cmake --build "$asan_build"
    export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    export LSAN_OPTIONS=suppressions=$root/tests/support/lsan.supp:print_suppressions=0
    # The Windows backend's suite is cross-compiled without the sanitizers and
    # has run above; it is not run again here. Nor are the suites against the
    # real e-mail programs (label mail): they spend their time in those
    # programs, and the wizard's side of them runs here in tst_attach.
    ctest --test-dir "$asan_build" --output-on-failure -j "$jobs" --timeout 1800 -LE "wine|mail"
    echo "Sanitizer build and tests took $(( $(date +%s) - started )) s"
fi
