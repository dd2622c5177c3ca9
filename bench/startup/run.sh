#!/usr/bin/env bash
# Start of each built program to its first window shown, and its resident
# memory, against a minimal Qt Widgets program. order starts with the full
# order.ini the build puts beside it. Usage: run.sh BUILD_DIR
set -euo pipefail
build=$1
[ -s "$build/order/order.ini" ] || { echo "missing $build/order/order.ini" >&2; exit 1; }
"$build/bench/startup/bench_startup" vardane "main window Form1" "Tindrel" \
    "$build/vardane/vardane" "$build/bench/startup/bench_minimal_window"
"$build/bench/startup/bench_startup" "order with a full order.ini" "chooser \"Order Now\"" \
    "Order Now" "$build/order/order" "$build/bench/startup/bench_minimal_window"
