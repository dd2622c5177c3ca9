#!/usr/bin/env bash
# CPU used by a loop waiting for a window that never appears: the waiting
# loop of the program against a spinning one. Usage: run.sh BUILD_DIR
set -euo pipefail
exec "$1/bench/wait_cpu/bench_wait_cpu"
