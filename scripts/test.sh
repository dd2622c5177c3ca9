#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, and runs the unit,
# offscreen and real-X11 suites through CTest (the X11 ones start their own
# Xvfb display and openbox window manager).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
