#!/usr/bin/python3
# Gives a headless GNOME session's seat a keyboard, as a desktop with one
# plugged in has: a remote-desktop session of the compositor's own, held
# open until this program ends. Without a keyboard on the seat no Wayland
# program gets the keyboard focus, nor pastes. Prints "ready" once it is.
from gi.repository import Gio, GLib

NAME = "org.gnome.Mutter.RemoteDesktop"
bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)


def proxy(path, interface):
    return Gio.DBusProxy.new_sync(bus, 0, None, NAME, path, interface, None)


# The compositor offers it once it has started up (30 s at most).
for attempt in range(300):
    try:
        desktop = proxy("/org/gnome/Mutter/RemoteDesktop", NAME)
        path = desktop.call_sync("CreateSession", None, 0, -1, None).unpack()[0]
        break
    except GLib.Error:
        if attempt == 299:
            raise
        GLib.usleep(100000)
session = proxy(path, NAME + ".Session")
session.call_sync("Start", None, 0, -1, None)
# The keyboard joins the seat with its first key: Shift, which types nothing.
for pressed in (True, False):
    session.call_sync("NotifyKeyboardKeysym", GLib.Variant("(ub)", (0xFFE1, pressed)), 0, -1, None)
print("ready", flush=True)
GLib.MainLoop().run()
