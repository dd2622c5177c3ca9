#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, and runs the unit,
# offscreen and real-X11 suites through CTest (the X11 ones start their own
# Xvfb display and openbox window manager). Then builds everything again with
# AddressSanitizer + UndefinedBehaviorSanitizer and runs the same suites
# there; any sanitizer report fails the run. Last, as root, the Debian 13 pass
# (scripts/debian13.sh): the same tree built and its session suites run on
# Debian 13 in a chroot.
#
# SKIP_SANITIZERS=1 leaves out the sanitizer pass, SKIP_DEBIAN13=1 the Debian 13 pass.
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
    # programs, and the wizard's side of them runs here in tst_attach. Nor
    # the road beside busy cores (label load): the sanitizers' own slowness
    # is no desktop's.
    ctest --test-dir "$asan_build" --output-on-failure -j "$jobs" --timeout 1800 -LE "wine|mail|load"
    echo "Sanitizer build and tests took $(( $(date +%s) - started )) s"
fi

host_release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
if [ "${SKIP_DEBIAN13:-0}" != 1 ] && [ "$host_release" != trixie ]; then
    if [ "$(id -u)" -eq 0 ]; then
        started=$(date +%s)
        # The road, the three compositors' sessions, every e-mail program
        # suite on X11 and on the three compositors, and the package (the road
        # beside busy cores runs in the plain pass only).
        TRIXIE_TESTS='^(tst_road(_place_.*|sweep.*)?|tst_wayland_(gnome|kde|sway)|tst_mail_.*|tst_package)$' \
            bash "$root/scripts/debian13.sh"
        echo "Debian 13 pass took $(( $(date +%s) - started )) s"
    else
        echo "The Debian 13 pass needs root (debootstrap, mounts); left out (SKIP_DEBIAN13=1 to silence)"
    fi
fi
