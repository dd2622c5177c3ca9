#!/usr/bin/env bash
# The whole road (record, stop, save, attach) against the stand-in programs:
# the time it takes beyond the fixed pauses the windows ask for.
# Usage: run.sh BUILD_DIR
set -euo pipefail
exec "$1/bench/road/bench_road"
