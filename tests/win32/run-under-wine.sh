#!/usr/bin/env bash
# Runs a Windows program under Wine in a fresh prefix, then stops Wine.
# Usage: run-under-wine.sh PREFIX PROGRAM.exe [ARGS...]   Exit status: the program's.
# TINDREL_WINE_KEEP_PREFIX=1 reuses a prefix that is already there and keeps
# it afterwards (quicker while working on the tests); otherwise every run
# starts afresh, and a passing run removes the prefix again.
set -u
prefix=$1
shift

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's menu entries and file associations go beside the prefix, not into $HOME.
export XDG_DATA_HOME=$prefix-home/data XDG_CONFIG_HOME=$prefix-home/config

stop_wine() { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
trap stop_wine EXIT

if [ "${TINDREL_WINE_KEEP_PREFIX:-0}" != 1 ] || [ ! -f "$prefix/system.reg" ]; then
    stop_wine
    rm -rf "$prefix" "$prefix-home"
    mkdir -p "$prefix-home"
    start=$(date +%s%N)
    if ! wine wineboot --init >"$prefix-home/wineboot.log" 2>&1; then
        cat "$prefix-home/wineboot.log" >&2
        echo "wineboot failed" >&2
        exit 1
    fi
    end=$(date +%s%N)
    echo "# wine prefix booted in $(( (end - start) / 1000000 )) ms"
fi

# Windows open on a Wine virtual desktop (one X window managed by openbox),
# so that activation, stacking and minimising are Wine's own, as on Windows.
# Without it openbox focuses windows on its own as they map or are restored,
# and Wine follows that focus up to hundreds of ms later under load,
# activating those windows again: keys sent meanwhile land in another window.
mkdir -p "$prefix-home"
cat >"$prefix-home/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x1024"
REG
wine regedit /S "$prefix-home/desktop.reg" || { echo "cannot set up the Wine desktop" >&2; exit 1; }

wine "$@"
status=$?
stop_wine
# The prefix is large (hundreds of MB); keep it only to look into a failure.
if [ $status -eq 0 ] && [ "${TINDREL_WINE_KEEP_PREFIX:-0}" != 1 ]; then
    rm -rf "$prefix" "$prefix-home"
fi
exit $status
