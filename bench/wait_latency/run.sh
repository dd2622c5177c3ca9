#!/usr/bin/env bash
# Window mapped by another program → the wait loop notices it, under openbox.
# Usage: run.sh BUILD_DIR
set -euo pipefail
exec "$1/bench/wait_latency/bench_wait_latency"
