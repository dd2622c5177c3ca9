#!/usr/bin/env bash
# Builds the project on Debian 13 (trixie) and runs its session suites there:
# the road, the Wayland compositors' suites and the real e-mail programs' suites
# on X11 and on Wayland. It all happens in a chroot made with debootstrap from
# the Debian mirror this machine's apt uses; the chroot, with apt's downloaded
# packages and the build folder, is kept for the next run. Needs root.
#
# Phases, each timed: the chroot (made, or reused), the packages of
# scripts/apt-packages.txt installed in it by scripts/deps.sh, the build
# (scripts/build.sh into /build in the chroot), the suites through CTest. The
# output ends with CTest's summary; the exit status is CTest's.
#
# TRIXIE_CHROOT   where the chroot lives (/var/cache/tindrel/trixie)
# TRIXIE_TESTS    the suites, a CTest -R expression (the ones named above)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
chroot_dir=${TRIXIE_CHROOT:-/var/cache/tindrel/trixie}
tests=${TRIXIE_TESTS:-'^(tst_road.*|tst_wayland_(gnome|kde|sway)|tst_mail_.*)$'}
suite=trixie
ready=$chroot_dir/etc/tindrel-chroot-ready

[ "$(id -u)" -eq 0 ] || { echo "debian13.sh: needs root (debootstrap, mount, chroot)" >&2; exit 1; }

# The mounts are made in a mount namespace of this script's own: whatever
# happens to it, none of them stays behind on the machine.
if [ -z "${TINDREL_CHROOT_NAMESPACE:-}" ]; then
    TINDREL_CHROOT_NAMESPACE=1 exec unshare --mount --propagation private -- bash "$root/scripts/debian13.sh" "$@"
fi

mkdir -p "$(dirname "$chroot_dir")"
# One run at a time per chroot.
exec 9>"$chroot_dir.lock"
flock -n 9 || { echo "debian13.sh: another run uses $chroot_dir" >&2; exit 1; }

phases=()
phase_start=$(date +%s)
phase_done() {
    local took=$(($(date +%s) - phase_start))
    phases+=("$(printf '%-32s %5d s' "$1" "$took")")
    echo "=== $1: $took s"
    phase_start=$(date +%s)
}

# The host's Debian mirror for a suite: the URI of the first apt source (one-line
# or deb822 form) that lists that suite.
mirror_for() {
    local wanted=$1 f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        awk -v s="$wanted" '$1 == "deb" {
            i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
            if ($(i + 1) == s) { print $i; exit } }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk -v s="$wanted" '
            function check() { if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " s " ") && uri != "") { print uri; found = 1; exit } }
            /^[[:space:]]*#/ { next }
            /^[[:space:]]*$/ { check(); types = suites = uri = ""; next }
            tolower($1) == "types:" { $1 = ""; types = $0 }
            tolower($1) == "suites:" { $1 = ""; suites = $0 }
            tolower($1) == "uris:" { uri = $2 }
            END { if (!found) check() }' "$f"
    done
}
host_suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
mirror=$(mirror_for "$host_suite" | head -n1)
security=$(mirror_for "$host_suite-security" | head -n1)
[ -n "$mirror" ] || { echo "debian13.sh: no Debian mirror for '$host_suite' in the host's apt sources" >&2; exit 1; }

# Mounts, undone in reverse order on the way out.
mounts=()
cleanup() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true
    done
    mounts=()
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mount_at() { # mount_at TARGET MOUNT-ARGS...
    local target=$1
    shift
    mkdir -p "$target"
    mount "$@" "$target"
    mounts+=("$target")
}

# --- The chroot: made anew unless a complete one is there. The mark is written
# only once debootstrap has finished, so an interrupted run is made again.
if [ -f "$ready" ]; then
    chroot_phase="chroot reused"
else
    if [ -e "$chroot_dir" ]; then
        if findmnt -rn -o TARGET | grep -q "^$chroot_dir\(/\|$\)"; then
            echo "debian13.sh: $chroot_dir is incomplete but has mounts; not removing it" >&2
            exit 1
        fi
        echo "Removing the incomplete chroot $chroot_dir"
        rm -rf --one-file-system "$chroot_dir"
    fi
    command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap ||
        { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap; }
    echo "Making the $suite chroot in $chroot_dir from $mirror"
    nice -n 10 debootstrap --variant=minbase --keyring=/usr/share/keyrings/debian-archive-keyring.gpg \
        "$suite" "$chroot_dir" "$mirror"
    touch "$ready"
    chroot_phase="chroot made"
fi

# Its apt sources, from the host's mirrors; services are never started by a
# package's install script in here.
{
    echo "Types: deb"
    echo "URIs: $mirror"
    echo "Suites: $suite $suite-updates"
    echo "Components: main"
    echo "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
    if [ -n "$security" ]; then
        echo
        echo "Types: deb"
        echo "URIs: $security"
        echo "Suites: $suite-security"
        echo "Components: main"
        echo "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
    fi
} >"$chroot_dir/etc/apt/sources.list.d/debian.sources"
: >"$chroot_dir/etc/apt/sources.list"
printf '#!/bin/sh\nexit 101\n' >"$chroot_dir/usr/sbin/policy-rc.d"
chmod 755 "$chroot_dir/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"

# The chroot's / is a mount point of its own (the bind comes first, the rest
# goes on it): the sandbox of Evolution's web view remounts / and fails otherwise.
mount_at "$chroot_dir" --bind "$chroot_dir"
mount_at "$chroot_dir/sys" --bind /sys
mount_at "$chroot_dir/dev" --bind /dev
mount_at "$chroot_dir/dev/pts" --bind /dev/pts
mount_at "$chroot_dir/dev/shm" -t tmpfs -o mode=1777,nosuid,nodev tmpfs
mount_at "$chroot_dir/tmp" -t tmpfs -o mode=1777,nosuid,nodev tmpfs
mount_at "$chroot_dir/run" -t tmpfs -o mode=755,nosuid,nodev tmpfs
mount_at "$chroot_dir/src" --bind "$root"
mount -o remount,bind,ro "$chroot_dir/src"
phase_done "$chroot_phase"

# Runs a command in the chroot as root with a clean environment, as CI does.
# The chroot becomes the root of a mount namespace of its own (pivot_root), not
# just the command's root folder: the kernel refuses new user namespaces to a
# process in a plain chroot, and the e-mail programs' sandboxes make them. It
# runs in a process namespace of its own with a /proc of it: whatever the
# command leaves running ends with it. Its first process, a shell, waits for
# the command and collects the processes orphaned on the way; told to stop,
# it ends, and everything in there with it.
in_chroot() {
    nice -n 10 unshare --mount --pid --fork --kill-child -- bash -c '
        set -e
        mount -t proc proc "$1/proc"
        cd "$1"
        pivot_root . .
        umount -l .
        shift
        set +e
        chroot . "$@" &
        child=$!
        trap "exit 143" TERM INT
        wait "$child"' sh "$chroot_dir" /usr/bin/env -i \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 CI="${CI:-}" "$@" </dev/null
}

# --- The packages, as on a Debian 13 machine (apt keeps what it downloaded).
in_chroot bash /src/scripts/deps.sh
phase_done "packages"

# --- The build, as scripts/build.sh does it, into a folder of the chroot's own.
in_chroot env BUILD_DIR=/build bash /src/scripts/build.sh
phase_done "build"

# --- The suites.
set +e
in_chroot ctest --test-dir /build --output-on-failure -j "$(nproc)" --timeout 900 -R "$tests" |
    tee "$chroot_dir/build/debian13-ctest.log"
status=${PIPESTATUS[0]}
set -e
phase_done "tests"

echo
echo "Debian 13 ($suite) phases:"
printf '  %s\n' "${phases[@]}"
echo
# CTest's own summary last.
sed -n '/tests passed, .* tests failed out of/,$p' "$chroot_dir/build/debian13-ctest.log"
exit "$status"
