# Sourced by the session scripts: the XDG desktop portal as the session's
# desktop runs it, or none at all. SESSION_PORTAL chooses:
#   none (or unset)  a desktop without the portal: the session bus cannot
#                    start it, as where it is not installed;
#   desktop          the portal, started by the session bus when a program
#                    first calls it, with the backends that desktop installs;
#   BACKEND...       the portal with these backends (gtk, gnome, kde, wlr).
#
# session_portal DESKTOP CONFIG_HOME, before the session bus starts, with
# XDG_RUNTIME_DIR set to the session's own; DESKTOP is x11, gnome, kde or
# sway, CONFIG_HOME the session bus's settings folder. Exports what the
# portal reads; returns 1 (with the reason said) when a backend is missing.
session_portal() {
    local desktop=$1 config_home=$2 services=$XDG_RUNTIME_DIR/dbus-1/services
    local backends=${SESSION_PORTAL:-none}
    mkdir -p "$services"
    if [ "$backends" = none ]; then
        # The session bus takes a service from this folder before the
        # system's: one that cannot start stands in for one not installed.
        local name
        for name in org.freedesktop.portal.Desktop org.freedesktop.portal.Documents; do
            printf '[D-BUS Service]\nName=%s\nExec=/bin/false\n' "$name" >"$services/$name.service"
        done
        return 0
    fi
    if [ "$backends" = desktop ]; then
        case "$desktop" in
        x11) backends=gtk ;; # as Xfce, Cinnamon and MATE install it
        gnome) backends="gnome gtk" ;;
        kde) backends=kde ;;
        sway) backends="wlr gtk" ;;
        esac
    fi
    [ -x /usr/libexec/xdg-desktop-portal ] ||
        { echo "the desktop portal is not installed (Debian package xdg-desktop-portal)" >&2; return 1; }
    # Only this desktop's backends are seen, whatever else is installed, and
    # the first named is preferred, as the desktop's own settings say.
    local dir=$XDG_RUNTIME_DIR/portals b
    mkdir -p "$dir" "$config_home/xdg-desktop-portal"
    for b in $backends; do
        [ -f "/usr/share/xdg-desktop-portal/portals/$b.portal" ] ||
            { echo "no portal backend $b (Debian package xdg-desktop-portal-$b)" >&2; return 1; }
        cp "/usr/share/xdg-desktop-portal/portals/$b.portal" "$dir/"
    done
    # The choice is written where each generation of the portal reads it: the
    # user's settings, and (from 1.18) beside the backends when their folder
    # is given, as then nothing else is read.
    printf '[preferred]\ndefault=%s\n' "$(echo $backends | tr ' ' ';')" |
        tee "$dir/portals.conf" >"$config_home/xdg-desktop-portal/portals.conf"
    export XDG_DESKTOP_PORTAL_DIR=$dir
}
