#!/usr/bin/env bash
# Start-up of order, from start to the chooser on screen with a full order.ini, against a
# minimal Qt Widgets program measured the same way in the same run (target: at most 1.5 x).
# Usage: bench/order_start/run.sh BUILD-DIR   (on the X display in $DISPLAY)
set -euo pipefail
build=${1:?usage: run.sh BUILD-DIR}
build=$(cd "$build" && pwd)
: "${DISPLAY:?run.sh needs an X display in \$DISPLAY}"
runs=${ORDER_START_RUNS:-21}

probe=$build/bench/order_start/order_start_probe
minimal=$build/bench/order_start/minimal_widgets
order=$build/order/order
for f in "$probe" "$minimal" "$order"; do
    [ -x "$f" ] || { echo "missing $f: build the project with its tests first" >&2; exit 1; }
done
[ -s "$build/order/order.ini" ] || { echo "missing $build/order/order.ini" >&2; exit 1; }

median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

# One start of each first, so that both find fonts and libraries in the caches.
"$probe" "Order Now" 1 "$order" >/dev/null
"$probe" "Minimal Widgets" 1 "$minimal" >/dev/null

# Alternate the two so that a busy moment of the machine hits both alike.
order_times=()
minimal_times=()
for _ in $(seq 1 "$runs"); do
    order_times+=("$("$probe" "Order Now" 1 "$order")")
    minimal_times+=("$("$probe" "Minimal Widgets" 1 "$minimal")")
done
o=$(printf '%s\n' "${order_times[@]}" | median)
m=$(printf '%s\n' "${minimal_times[@]}" | median)
ratio=$(awk -v o="$o" -v m="$m" 'BEGIN {printf "%.2f", o / m}')
verdict=$(awk -v r="$ratio" 'BEGIN {print (r <= 1.5) ? "met" : "NOT met"}')

echo "| what | figure | target | ratio/verdict |"
echo "| --- | --- | --- | --- |"
echo "| order: start to chooser shown, full order.ini (median of $runs) | ${o} ms | <= 1.5 x minimal | ${ratio} x, ${verdict} |"
echo "| minimal Qt Widgets program: start to window shown (median of $runs) | ${m} ms | reference | 1.00 x |"
