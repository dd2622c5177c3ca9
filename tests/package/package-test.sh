#!/usr/bin/env bash
# The Debian package, for real: builds it from the build folder with CPack, checks it with
# lintian (no errors, no warnings) and the desktop and AppStream validators, installs it into
# this machine with apt, starts Tindrel, Sound Recorder and Order Now from their menu entries
# as an ordinary user (nobody) on a private X display, and again in a Wayland session (sway,
# which runs as that user), and waits for their first windows, which must be on the X
# server (on Wayland its Xwayland), then removes the package and checks that nothing of it is
# left but the voice files of that user.
#
# Usage: package-test.sh BUILD_DIR X11_SESSION_SCRIPT CPACK. Runs as root, alone (it installs into
# the machine), and stops at once if a tindrel package is installed already.
set -euo pipefail
build=$1
session=$2
cpack=${3:-cpack}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

fail() { echo "FAIL: $*" >&2; exit 1; }

# Started by the private X session: launches both programs from their menu entries as nobody.
if [ "${1:-}" = --launch ]; then
    home=$2
    launch() { # desktop id, program, window title
        setpriv --reuid=nobody --regid=nogroup --clear-groups \
            env -i DISPLAY="$DISPLAY" ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY="$WAYLAND_DISPLAY"} \
            ${XDG_SESSION_TYPE:+XDG_SESSION_TYPE="$XDG_SESSION_TYPE"} \
            HOME="$home" XDG_DATA_HOME="$home/.local/share" \
            XDG_RUNTIME_DIR="$home/runtime" PATH=/usr/bin:/bin \
            gio launch "/usr/share/applications/$1.desktop" || fail "gio launch $1 failed"
        # The first window: a managed client window of that title, shown by the installed
        # program running as nobody.
        local pid=
        for _ in $(seq 1 600); do
            for w in $(xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*'); do
                xprop -id "$w" _NET_WM_NAME | grep -qx "_NET_WM_NAME(UTF8_STRING) = \"$3\"" || continue
                pid=$(xprop -id "$w" _NET_WM_PID | grep -o '[0-9]*$') || continue
                [ "$(readlink "/proc/$pid/exe")" = "/usr/libexec/tindrel/$2" ] || continue
                [ "$(stat -c %U "/proc/$pid")" = nobody ] || fail "$2 does not run as nobody"
                echo "$2: window \"$3\" shown by process $pid"
                kill "$pid"
                return 0
            done
            sleep 0.1
        done
        fail "no window \"$3\" of /usr/libexec/tindrel/$2 within 60 s"
    }
    launch org.tindrel.Tindrel vardane Tindrel
    launch org.tindrel.SoundRecorder tindrel-recorder "Sound - Sound Recorder"
    launch org.tindrel.Order order "Order Now"
    exit 0
fi

[ "$(id -u)" -eq 0 ] || fail "this suite installs a package into the machine and runs as root"
status=$(dpkg-query -W -f='${db:Status-Status}' tindrel 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] ||
    fail "a tindrel package is on this machine already ($status); remove it to run this suite"

started=$(date +%s)
step() { echo "== $* ($(( $(date +%s) - started )) s)"; }
work=$(mktemp -d "${TMPDIR:-/tmp}/tindrel-package.XXXXXX")
chmod 755 "$work"
installed=0
cleanup() {
    [ "$installed" = 1 ] && apt-get remove -y -q tindrel >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

step "building the package"
(cd "$build" && "$cpack" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(echo "$work"/out/tindrel_*.deb)
[ -f "$deb" ] || fail "no package was made"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb --field "$deb" Depends

step "lintian"
lintian --fail-on error,warning --info "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian found errors or warnings"; }
grep -v 'root privileges' "$work/lintian.log" || true

step "installing with apt"
apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install failed"; }
installed=1
dpkg -L tindrel | sort >"$work/files"
# Every program in the package is a desktop program: a valid menu entry, an AppStream
# description of the same id, its icon in every size and scalable.
entries=$(grep '^/usr/share/applications/.*\.desktop$' "$work/files") || fail "no menu entries"
for desktop in $entries; do
    id=$(basename "$desktop" .desktop)
    desktop-file-validate "$desktop" || fail "$desktop is not valid"
    grep -qx 'Exec="*/usr/libexec/tindrel/[^ ]*\( %[fFuU]\)\{0,1\}' "$desktop" || fail "$desktop starts no installed program"
    metainfo=/usr/share/metainfo/$id.metainfo.xml
    appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
        { cat "$work/appstream.log"; fail "$metainfo is missing or not valid"; }
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    for size in 16x16 24x24 32x32 48x48 64x64 128x128 256x256; do
        [ -f "/usr/share/icons/hicolor/$size/apps/$icon.png" ] || fail "no $size icon $icon"
    done
    [ -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
    echo "$id: menu entry, AppStream description and icons"
done

step "starting the three programs from their menu entries"
home=$work/home
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
chown -R nobody:nogroup "$home"
"$session" bash "$here/package-test.sh" --launch "$home"
step "starting them again in a Wayland session"
"$(dirname "$session")/wayland-session.sh" sway bash "$here/package-test.sh" --launch "$home"
voices="$home/.local/share/tindrel/Voice Files"
[ -d "$voices" ] && [ "$(stat -c %U "$voices")" = nobody ] ||
    fail "the installed Tindrel did not make the user's voice folder $voices"
# A message the user recorded.
setpriv --reuid=nobody --regid=nogroup --clear-groups touch "$voices/kept.wav"

step "removing the package"
apt-get remove -y -q -o DPkg::Lock::Timeout=600 tindrel >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get remove failed"; }
installed=0
status=$(dpkg-query -W -f='${db:Status-Status}' tindrel 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "the package is still known to dpkg: $status"
# Nothing of it is left: its files are gone, and so are its folders, but those other
# packages share (/usr/share/applications and the like).
while read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 && continue
    fail "left behind: $path"
done <"$work/files"
[ -f "$voices/kept.wav" ] || fail "the user's voice file was removed"
step "done"
