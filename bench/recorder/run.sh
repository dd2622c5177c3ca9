#!/usr/bin/env bash
# The sound recorder against a private sound server: Record pressed → first
# sample, CPU while recording and while idle, saving 60 s as GSM 6.10.
# Needs a display and a sound server (bench/run.sh starts both).
# Usage: run.sh BUILD_DIR
set -euo pipefail
exec "$1/bench/recorder/bench_recorder" start-cpu-save "$1/recorder/tindrel-recorder"
