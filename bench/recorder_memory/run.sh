#!/usr/bin/env bash
# Resident memory of the sound recorder after a 10-minute recording against
# after 10 seconds of it: takes a little over 10 minutes. To run it alone:
#   tests/support/x11-session.sh tests/support/sound-session.sh \
#       bench/recorder_memory/run.sh build [SECONDS]
# Usage: run.sh BUILD_DIR [SECONDS]
set -euo pipefail
exec "$1/bench/recorder/bench_recorder" memory "$1/recorder/tindrel-recorder" "${2:-600}"
