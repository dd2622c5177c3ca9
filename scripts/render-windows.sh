#!/usr/bin/env bash
# Renders every window of both programs to PNG files (offscreen), for review
# and for the README. Usage: scripts/render-windows.sh [OUTPUT-FOLDER]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=${1:-$root/screenshots/windows}

"$root/scripts/build.sh"
mkdir -p "$out"
export QT_QPA_PLATFORM="offscreen:configfile=$root/tests/support/offscreen-screen.json"
found=0
while IFS= read -r renderer; do
    found=1
    "$renderer" "$out"
done < <(find "$build/tests" -type f -name 'render_*' -perm -u+x | sort)
[ "$found" = 1 ] || { echo "no renderers were built" >&2; exit 1; }
echo "Windows rendered into $out"
