#!/usr/bin/env bash
# Literal typing of a path into the stand-in program's text box.
# Usage: run.sh BUILD_DIR
set -euo pipefail
exec "$1/bench/typing/bench_typing"
