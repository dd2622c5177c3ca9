#!/usr/bin/env bash
# The libFuzzer targets (key notation, profile reader) under ASan + UBSan,
# each for FUZZ_SECONDS (600 unless set), in their own clang build folder.
# Usage: run.sh BUILD_DIR   (the build folder is not used: fuzzing needs clang)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
seconds=${FUZZ_SECONDS:-600}
status=0
"$root/scripts/fuzz.sh" "$seconds" | while IFS= read -r line; do
    # fuzz_T: R runs in S s, coverage C points, corpus N inputs: VERDICT
    target=${line%%:*}
    figures=${line#*: }
    figures=${figures%%: *}
    verdict=${line##*: }
    case $verdict in
        "no crash, no sanitizer report") mark=pass; [ "$seconds" -ge 600 ] || mark="short run" ;;
        *) mark=FAIL ;;
    esac
    echo "| \`scripts/fuzz.sh $seconds\`: $target (libFuzzer, ASan + UBSan) | $figures; $verdict | ≥ 600 s, no crash, no report | $mark |"
done || status=$?
exit "$status"
