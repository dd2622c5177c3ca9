#pragma once

// A person's pointer on an X server: where a widget really is on the screen,
// and a click there once the pointer is seen over what it is meant for.

#include <QGuiApplication>
#include <QPoint>
#include <QAbstractButton>
#include <QTest>
#include <QWidget>

#include <functional>

// Xlib after Qt: its macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace pointer {

inline Display* display()
{
    return qApp->nativeInterface<QNativeInterface::QX11Application>()->display();
}

// Where a point of a widget is on the screen, as the X server has its window
// (which is where the compositor shows it), not as Qt believes.
inline QPoint onScreen(QWidget* widget, QPoint local)
{
    const QPoint inWindow = widget->mapTo(widget->window(), local);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display(), static_cast<Window>(widget->window()->winId()),
                          DefaultRootWindow(display()), inWindow.x(), inWindow.y(), &x, &y, &child);
    return {x, y};
}

// Presses and releases the first button where at() is, once the pointer has
// been moved there and over() holds, and the place has not moved meanwhile: a
// window manager may still be placing a window just shown, and a press that
// follows a stale place lands on something else.
inline bool clickWhere(const std::function<QPoint()>& at, const std::function<bool()>& over,
                       int timeoutMs)
{
    Display* d = display();
    const bool reached = QTest::qWaitFor(
        [&] {
            const QPoint p = at();
            XTestFakeMotionEvent(d, -1, p.x(), p.y(), CurrentTime);
            XFlush(d);
            return QTest::qWaitFor(over, 200) && at() == p && over();
        },
        timeoutMs);
    if (!reached)
        return false;
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XFlush(d);
    return true;
}

inline bool clickButton(QAbstractButton* button, int timeoutMs)
{
    return clickWhere([&] { return onScreen(button, button->rect().center()); },
                      [&] { return button->underMouse(); }, timeoutMs);
}

} // namespace pointer
