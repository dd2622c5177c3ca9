#!/usr/bin/env bash
# The whole road (record, stop, save, attach) with the sound recorder and the
# stand-in e-mail program: the time it takes beyond the fixed pauses.
# Usage: run.sh BUILD_DIR
set -euo pipefail
exec "$1/bench/road/bench_road"
