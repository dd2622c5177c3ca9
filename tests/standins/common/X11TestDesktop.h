#pragma once

// A client of the test's X display for the suites that drive the outside
// programs (the sound recorder, the stand-in e-mail program) as separate
// programs: windows found by their exact titles, keys sent with XTest in the
// groups the voice wizard sends (Desktop), or through the wizard's own X11
// backend (Wizard).

#include <QFile>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QString>
#include <QStringList>
#include <QTest>

#include "KeyNotation.h"
#include "x11/X11WindowSystem.h"

// Xlib after Qt: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <memory>

namespace x11test {

constexpr int Wait = 15000;

inline QStringList readLog(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A client of the test's X display: finds windows, sends keys.
// Windows may vanish between a listing and a look at them.
inline int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

class Desktop
{
public:
    Desktop() : m_display(XOpenDisplay(nullptr)) { XSetErrorHandler(ignoreErrors); }
    ~Desktop()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool ok() const { return m_display != nullptr; }

    // The first managed window whose whole title is title, or 0.
    Window find(const QString& title)
    {
        for (Window w :
             property<Window>(DefaultRootWindow(m_display), "_NET_CLIENT_LIST", XA_WINDOW)) {
            const QList<unsigned char> name = property<unsigned char>(
                w, "_NET_WM_NAME", XInternAtom(m_display, "UTF8_STRING", False));
            if (QString::fromUtf8(reinterpret_cast<const char*>(name.constData()), name.size()) ==
                title)
                return w;
        }
        return 0;
    }

    Window waitFor(const QString& title)
    {
        Window w = 0;
        return QTest::qWaitFor([&] { return (w = find(title)) != 0; }, Wait) ? w : 0;
    }

    bool isDialog(Window w)
    {
        const Atom dialog = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        const auto types = property<Atom>(w, "_NET_WM_WINDOW_TYPE", XA_ATOM);
        Window owner = 0;
        return types.contains(dialog) && XGetTransientForHint(m_display, w, &owner) && owner != 0;
    }

    // Asks the window manager to activate w and waits until w has the focus.
    bool activate(Window w)
    {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = 2; // from a pager: no focus stealing prevention
        XSendEvent(m_display, DefaultRootWindow(m_display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(m_display);
        return QTest::qWaitFor(
            [&] {
                Window focus = 0;
                int revert = 0;
                XGetInputFocus(m_display, &focus, &revert);
                return focus == w;
            },
            Wait);
    }

    // One send: the keys of notation (a subset of the wizard's: "%x" Alt+x,
    // "~" Enter, "\t" Tab, "^" Pause, other ASCII characters as themselves).
    void send(const QString& keys)
    {
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const QChar c = keys.at(i);
            if (c == QLatin1Char('%') && i + 1 < keys.size()) {
                press(XK_Alt_L, true);
                tap(keys.at(++i).toLower().unicode());
                press(XK_Alt_L, false);
            } else if (c == QLatin1Char('~')) {
                tap(XK_Return);
            } else if (c == QLatin1Char('\t')) {
                tap(XK_Tab);
            } else if (c == QLatin1Char('^')) {
                tap(XK_Pause);
            } else {
                tap(c.unicode());
            }
        }
        XFlush(m_display);
    }

    // Literal text: every character as itself (ASCII).
    void type(const QString& text)
    {
        for (const QChar c : text)
            tap(c.unicode());
        XFlush(m_display);
    }

private:
    template <typename T> QList<T> property(Window w, const char* name, Atom type)
    {
        Atom actual = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        QList<T> result;
        if (XGetWindowProperty(m_display, w, XInternAtom(m_display, name, False), 0, 65536, False,
                               type, &actual, &format, &count, &after, &data) == Success &&
            data) {
            for (unsigned long i = 0; i < count; ++i) {
                if (format == 32)
                    result << static_cast<T>(reinterpret_cast<unsigned long*>(data)[i]);
                else if (format == 8)
                    result << static_cast<T>(data[i]);
            }
        }
        if (data)
            XFree(data);
        return result;
    }

    void press(KeySym sym, bool down)
    {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, sym), down ? True : False,
                          CurrentTime);
    }

    void tap(KeySym sym)
    {
        const KeyCode code = XKeysymToKeycode(m_display, sym);
        const bool shift = code != 0 && XkbKeycodeToKeysym(m_display, code, 0, 0) != sym;
        if (shift)
            press(XK_Shift_L, true);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        if (shift)
            press(XK_Shift_L, false);
    }

    Display* m_display;
};

// The wizard's way of sending keys: its X11 backend, one send per key string.
class Wizard
{
public:
    Wizard() : m_system(automation::openX11WindowSystem()) {}

    bool ok() const { return m_system != nullptr; }

    automation::WindowHandle find(const QString& title, bool dialog = false)
    {
        return m_system->findTopWindow(dialog ? automation::WindowClass::Dialog
                                              : automation::WindowClass::Any,
                                       title.toStdString());
    }

    // Waits for the window and brings it to the front, as the wizard does
    // before the first keys of a step.
    bool bringToFront(const QString& title)
    {
        return QTest::qWaitFor(
            [&] {
                const automation::WindowHandle w = find(title);
                return w != 0 && m_system->bringToFront(w).isDone();
            },
            Wait);
    }

    // Each string one send, back to back, in the wizard's notation.
    bool send(std::initializer_list<const char*> notations)
    {
        for (const char* notation : notations) {
            const automation::KeyParse keys =
                automation::parseKeyNotation(automation::decodeUtf8(notation));
            if (!keys.ok || !m_system->sendKeys(keys.keys))
                return false;
        }
        return true;
    }

    bool type(const QString& text)
    {
        return m_system->sendKeys(automation::literalKeys(text.toStdU32String()));
    }

private:
    std::unique_ptr<automation::WindowSystem> m_system;
};

// A suite that starts one outside program at a time in a fresh work folder
// (its working folder, which also holds its log "log"), and kills it if a case
// leaves it running.
class ProgramSuite : public QObject
{
protected:
    void setUpCase()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_desktop = std::make_unique<Desktop>();
        QVERIFY2(m_desktop->ok(), "no X display");
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process->setWorkingDirectory(m_dir->path());
    }

    void tearDownCase()
    {
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(Wait);
        }
        m_process.reset();
        m_desktop.reset();
        m_dir.reset();
    }

    QStringList log() const { return readLog(m_dir->filePath(QStringLiteral("log"))); }
    bool waitLog(const QString& line) const
    {
        return QTest::qWaitFor([&] { return log().contains(line); }, Wait);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<Desktop> m_desktop;
};

} // namespace x11test
