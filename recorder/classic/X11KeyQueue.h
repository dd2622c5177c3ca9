#pragma once

// Keys on X11, taken the way the classic desktop takes them: every key the X server sends the
// program goes into one queue, in the order it was sent, and the program takes the next key from
// the queue only once it has handled the one before (a dialog or menu that key opened included).
// Each key then goes to whatever has the keyboard inside the program at that moment, whichever of
// its windows the server addressed it to.
//
// Qt alone loses such keys in three ways, all seen with keys sent back to
// back: a key the server addressed to a window that a modal dialog has since
// covered (the dialog is opening and the window manager has not yet given it
// the focus) is dropped without trace; a key addressed to the main window just
// before a menu took the keyboard is dropped once the menu has opened a modal
// dialog; and a key addressed to a menu that is closing goes to that hidden
// menu. Qt decides where a key goes when it reads the key from the server,
// which may be before the keys ahead of it have been handled; here that is
// decided when the key's turn comes.

#include <QEvent>
#include <QObject>
#include <QString>

#include <memory>

class QAbstractNativeEventFilter;

namespace classic {

// A key as the window system delivered it, translated.
struct WindowSystemKey
{
    QEvent::Type type = QEvent::KeyPress; // KeyPress or KeyRelease
    int key = 0;                          // Qt::Key
    Qt::KeyboardModifiers modifiers;
    QString text;
    quint32 scanCode = 0;        // the X key code
    quint32 nativeKey = 0;       // the keysym
    quint32 nativeModifiers = 0; // the X modifier state
    quintptr addressedTo = 0;    // the window the server addressed it to
};

class X11KeyQueue;

// Installs the queue on the application's X connection (nothing on other
// platforms). deliver is called for each key, in order, from the event loop.
class X11Keys
{
public:
    using Deliver = void (*)(const WindowSystemKey&);
    explicit X11Keys(Deliver deliver);
    ~X11Keys();
    X11Keys(const X11Keys&) = delete;
    X11Keys& operator=(const X11Keys&) = delete;

    bool active() const { return m_queue != nullptr; }

private:
    std::unique_ptr<X11KeyQueue> m_queue;
    std::unique_ptr<QAbstractNativeEventFilter> m_tracer;
};

} // namespace classic
