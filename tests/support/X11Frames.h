#pragma once

// Where a window is on an X server, as a person sees it: with its frame.

#include <QRect>

// Xlib after Qt: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

// The outer rectangle of a top-level window on the screen, with the frame its window manager
// gives it (_NET_FRAME_EXTENTS, which also holds where the frame is no X window, as under a
// Wayland compositor); null while it is not on the screen or not framed.
inline QRect frameOnScreen(Display* display, Window window)
{
    XWindowAttributes a;
    Window child = 0;
    int x = 0;
    int y = 0;
    if (!XGetWindowAttributes(display, window, &a) || a.map_state != IsViewable ||
        !XTranslateCoordinates(display, window, a.root, 0, 0, &x, &y, &child))
        return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    if (XGetWindowProperty(display, window, extents, 0, 4, False, XA_CARDINAL, &type, &format,
                           &count, &left, &data) != Success)
        return {};
    QRect frame;
    if (data && format == 32 && count == 4) {
        const auto* e = reinterpret_cast<const long*>(data); // left, right, top, bottom
        frame = QRect(x, y, a.width, a.height).adjusted(-e[0], -e[2], e[1], e[3]);
    }
    if (data)
        XFree(data);
    return frame;
}
