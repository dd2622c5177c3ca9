#!/usr/bin/env bash
# Start of the built program to its main window shown, and its resident
# memory, against a minimal Qt Widgets program. Usage: run.sh BUILD_DIR
set -euo pipefail
exec "$1/bench/startup/bench_startup" "$1/vardane/vardane" "$1/bench/startup/bench_minimal_window"
