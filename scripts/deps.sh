#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/apt-packages.txt that are not
# installed yet. Needs root (or sudo) only when something is missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$here/apt-packages.txt" | grep -v '^$')
missing=()
for p in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
