// The X11 backend against real windows of a real program (standin_probe) on
// a private X server with a real window manager, and once without one.

#include "Automation.h"
#include "ProbeProcess.h"
#include "x11/X11WindowSystem.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QRegularExpression>
#include <QProcess>
#include <QTest>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>

using namespace automation;
using K = KeyStroke::Kind;

namespace {

std::vector<KeyStroke> notation(const char* utf8)
{
    const auto parsed = parseKeyNotation(decodeUtf8(utf8));
    return parsed.keys;
}

std::vector<KeyStroke> literal(const QString& text)
{
    return literalKeys(decodeUtf8(text.toStdString()));
}

const std::vector<KeyStroke> enter{{K::Enter, 0}};

// What the test itself sees of the X server, through a connection of its own.
class XView
{
public:
    explicit XView(const char* name = nullptr) : display(XOpenDisplay(name)) {}
    ~XView()
    {
        if (display)
            XCloseDisplay(display);
    }
    XView(const XView&) = delete;
    XView& operator=(const XView&) = delete;

    Window root() const { return DefaultRootWindow(display); }
    Atom atom(const char* name) const { return XInternAtom(display, name, False); }

    Window windowProperty(Window w, const char* name) const
    {
        Atom type = None;
        int format = 0;
        unsigned long n = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        Window result = None;
        if (XGetWindowProperty(display, w, atom(name), 0, 1, False, XA_WINDOW, &type, &format, &n,
                               &after, &data) == Success &&
            data && n == 1)
            result = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
        if (data)
            XFree(data);
        return result;
    }
    Window activeWindow() const { return windowProperty(root(), "_NET_ACTIVE_WINDOW"); }
    bool focusInside(Window w) const
    {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        while (focus != None && focus != PointerRoot && focus != root()) {
            if (focus == w)
                return true;
            Window r = None;
            Window parent = None;
            Window* children = nullptr;
            unsigned int n = 0;
            if (!XQueryTree(display, focus, &r, &parent, &children, &n))
                return false;
            if (children)
                XFree(children);
            focus = parent;
        }
        return false;
    }
    // Modifier keys the server thinks are down.
    QStringList heldModifiers() const
    {
        char keys[32] = {};
        XQueryKeymap(display, keys);
        QStringList held;
        XModifierKeymap* mods = XGetModifierMapping(display);
        for (int i = 0; i < 8 * mods->max_keypermod; ++i) {
            const KeyCode code = mods->modifiermap[i];
            if (code && ((keys[code / 8] >> (code % 8)) & 1))
                held << QString::fromLatin1(
                    XKeysymToString(XkbKeycodeToKeysym(display, code, 0, 0)));
        }
        XFreeModifiermap(mods);
        return held;
    }
    Window createTitled(const QByteArray& title) const
    {
        const Window w = XCreateSimpleWindow(display, root(), 10, 10, 200, 100, 0, 0, 0);
        XChangeProperty(display, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.constData()),
                        static_cast<int>(title.size()));
        XStoreName(display, w, title.constData());
        return w;
    }

    Display* display;
};

// A private X server without a window manager, for the backend's other path.
class BareServer
{
public:
    BareServer()
    {
        server.setProgram(QStringLiteral("Xvfb"));
        server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                             QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("1024x768x24")});
        server.start();
        // -displayfd writes the display number once the server accepts clients.
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        while (!out.contains('\n') && clock.elapsed() < 20000 &&
               server.state() != QProcess::NotRunning) {
            server.waitForReadyRead(1000);
            out += server.readAllStandardOutput();
        }
        if (out.contains('\n'))
            name = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
    }
    ~BareServer()
    {
        server.terminate();
        if (!server.waitForFinished(5000))
            server.kill();
    }
    QProcess server;
    QString name;
};

// Forwards to the real backend, counting how often the facade drains it.
class CountingBackend : public WindowSystem
{
public:
    explicit CountingBackend(std::unique_ptr<WindowSystem> real) : m_real(std::move(real)) {}
    WindowHandle findTopWindow(WindowClass c, const std::string& t) override
    {
        return m_real->findTopWindow(c, t);
    }
    Result bringToFront(WindowHandle w) override { return m_real->bringToFront(w); }
    bool isWindowShown(WindowHandle w) override { return m_real->isWindowShown(w); }
    bool isMinimized(WindowHandle w) override { return m_real->isMinimized(w); }
    void restoreWindow(WindowHandle w) override { m_real->restoreWindow(w); }
    bool activateByTitle(const std::string& t) override { return m_real->activateByTitle(t); }
    bool sendKeys(const std::vector<KeyStroke>& k) override { return m_real->sendKeys(k); }
    int eventSource() const override { return m_real->eventSource(); }
    void drainEvents() override
    {
        ++drains;
        m_real->drainEvents();
    }
    int drains = 0;

private:
    std::unique_ptr<WindowSystem> m_real;
};

bool readable(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) == 1;
}

} // namespace

class TestX11Backend : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void findsWholeExactTitlesOnly_data();
    void findsWholeExactTitlesOnly();
    void sameTitleGivesTheFrontmost();
    void dialogClass();
    void hiddenWindowsAreNotFound();
    void retitledWindowIsFoundUnderItsNewTitle();
    void bringToFrontMovesTheFocus();
    void bringToFrontFailsFastOnAVanishedWindow();
    void minimiseAndRestore();
    void altLetterOpensMenuAndDialog_data();
    void altLetterOpensMenuAndDialog();
    void literalTypingArrivesByteForByte_data();
    void literalTypingArrivesByteForByte();
    void breakArrivesAsPause();
    void noModifierLeftHeld_data();
    void noModifierLeftHeld();
    void capsLockDoesNotChangeTyping();
    void activateByTitle();
    void facadeWakesWhenAWindowAppears();
    void keysNeverLandInOwnWindows();
    void newsReadDuringACallStillWakesTheWait();
    void withoutWindowManager();

private:
    std::unique_ptr<ProbeProcess> startProbe(const QString& title, const QStringList& extra = {});
    bool typeLine(ProbeProcess& probe, const QString& text, QByteArray* arrived);

    std::unique_ptr<WindowSystem> m_ws;
    std::unique_ptr<XView> m_x;
    std::unique_ptr<ProbeProcess> m_composer; // a bracketed title
    std::unique_ptr<ProbeProcess> m_umlaut;   // a title beyond ASCII
};

std::unique_ptr<ProbeProcess> TestX11Backend::startProbe(const QString& title,
                                                         const QStringList& extra)
{
    auto probe = std::make_unique<ProbeProcess>(title, extra);
    const auto id = probe->waitForWindow();
    if (id == 0)
        return probe;
    // Shown means managed: the window manager has given it WM_STATE.
    const bool managed = QTest::qWaitFor(
        [&] { return m_ws->findTopWindow(WindowClass::Any, title.toStdString()) != 0; }, 10000);
    if (!managed)
        qWarning("\"%s\" was shown but never found", qPrintable(title));
    return probe;
}

bool TestX11Backend::typeLine(ProbeProcess& probe, const QString& text, QByteArray* arrived)
{
    const auto before = probe.records("entered").size();
    if (!m_ws->sendKeys(literal(text)) || !m_ws->sendKeys(enter))
        return false;
    if (!probe.waitFor([&] { return probe.records("entered").size() > before; }))
        return false;
    *arrived = probe.records("entered").last();
    return true;
}

void TestX11Backend::initTestCase()
{
    m_ws = openX11WindowSystem();
    QVERIFY2(m_ws, "no X server");
    m_x = std::make_unique<XView>();
    QVERIFY(m_x->display);
    QVERIFY2(m_x->windowProperty(m_x->root(), "_NET_SUPPORTING_WM_CHECK") != None,
             "these tests expect a window manager");
    m_composer = startProbe(QStringLiteral("Netscape - [Message Composition]"));
    m_umlaut = startProbe(QString::fromUtf8("Aufnahme – Übung"));
    QVERIFY(m_composer->window());
    QVERIFY(m_umlaut->window());
}

void TestX11Backend::cleanupTestCase()
{
    m_composer.reset();
    m_umlaut.reset();
}

void TestX11Backend::findsWholeExactTitlesOnly_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("expected"); // 0 none, 1 the composer, 2 the umlaut window

    QTest::newRow("brackets, exact") << "Netscape - [Message Composition]" << 1;
    QTest::newRow("non-ASCII, exact") << QString::fromUtf8("Aufnahme – Übung") << 2;
    QTest::newRow("middle part") << "Message Composition" << 0;
    QTest::newRow("bracketed part") << "[Message Composition]" << 0;
    QTest::newRow("first word") << "Netscape" << 0;
    QTest::newRow("words after") << "Netscape - [Message Composition] 2" << 0;
    QTest::newRow("words before") << "My Netscape - [Message Composition]" << 0;
    QTest::newRow("trailing blank") << "Netscape - [Message Composition] " << 0;
    QTest::newRow("lower case") << "netscape - [message composition]" << 0;
    QTest::newRow("upper case") << "NETSCAPE - [MESSAGE COMPOSITION]" << 0;
    QTest::newRow("umlaut case") << QString::fromUtf8("Aufnahme – übung") << 0;
    QTest::newRow("unclosed bracket") << "Netscape - [Message Composition" << 0;
}

void TestX11Backend::findsWholeExactTitlesOnly()
{
    QFETCH(QString, title);
    QFETCH(int, expected);
    const std::uint64_t want = expected == 1   ? m_composer->window()
                               : expected == 2 ? m_umlaut->window()
                                               : 0;
    QCOMPARE(m_ws->findTopWindow(WindowClass::Any, title.toStdString()), want);
}

void TestX11Backend::sameTitleGivesTheFrontmost()
{
    const QString title = QStringLiteral("Twin Window");
    auto first = startProbe(title);
    auto second = startProbe(title);
    const auto a = first->window();
    const auto b = second->window();
    QVERIFY(a && b && a != b);
    // The later one opened on top.
    QTRY_COMPARE_WITH_TIMEOUT(m_ws->findTopWindow(WindowClass::Any, title.toStdString()), b, 10000);
    QVERIFY(m_ws->bringToFront(a).isDone());
    QTRY_COMPARE_WITH_TIMEOUT(m_ws->findTopWindow(WindowClass::Any, title.toStdString()), a, 10000);
    QVERIFY(m_ws->bringToFront(b).isDone());
    QTRY_COMPARE_WITH_TIMEOUT(m_ws->findTopWindow(WindowClass::Any, title.toStdString()), b, 10000);
}

void TestX11Backend::dialogClass()
{
    auto probe = startProbe(QStringLiteral("Dialog Owner"),
                            {QStringLiteral("--dialog-title"), QStringLiteral("Attachments"),
                             QStringLiteral("--show-dialog")});
    QVERIFY(probe->waitFor([&] { return probe->dialog() != 0; }));
    const auto dialog = probe->dialog();
    QTRY_COMPARE_WITH_TIMEOUT(m_ws->findTopWindow(WindowClass::Dialog, "Attachments"), dialog,
                              10000);
    QCOMPARE(m_ws->findTopWindow(WindowClass::Any, "Attachments"), dialog);
    QCOMPARE(m_ws->findTopWindow(WindowClass::Dialog, "Dialog Owner"), WindowHandle(0));
    QCOMPARE(m_ws->findTopWindow(WindowClass::Any, "Dialog Owner"), probe->window());
    QCOMPARE(m_ws->findTopWindow(WindowClass::Dialog, "Netscape - [Message Composition]"),
             WindowHandle(0));
    QVERIFY(m_ws->bringToFront(dialog).isDone());

    // By class name, title pattern and owner, as for programs whose titles vary.
    using Found = std::optional<WindowHandle>;
    QCOMPARE(m_ws->findWindow({.instance = "standin_probe", .title = "Dialog *"}),
             Found(probe->window()));
    QCOMPARE(m_ws->findWindow({.instance = "standin_*", .owner = probe->window()}), Found(dialog));
    QCOMPARE(m_ws->findWindow({.owner = dialog}), Found(0));
    QCOMPARE(m_ws->findWindow({.className = "No such class"}), Found(0));
}

void TestX11Backend::hiddenWindowsAreNotFound()
{
    auto probe = startProbe(QStringLiteral("Hiding Owner"),
                            {QStringLiteral("--dialog-title"), QStringLiteral("Hidden Dialog"),
                             QStringLiteral("--show-dialog")});
    QVERIFY(probe->waitFor([&] { return probe->dialog() != 0; }));
    const auto dialog = probe->dialog();
    QTRY_COMPARE_WITH_TIMEOUT(m_ws->findTopWindow(WindowClass::Dialog, "Hidden Dialog"), dialog,
                              10000);
    QVERIFY(m_ws->isWindowShown(dialog));
    probe->command("hide-dialog");
    QVERIFY(probe->waitForRecord("dialog", "hidden"));
    QTRY_COMPARE_WITH_TIMEOUT(m_ws->findTopWindow(WindowClass::Any, "Hidden Dialog"),
                              WindowHandle(0), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_ws->isWindowShown(dialog), 10000);
    // The toolkit keeps the unmapped window, title and all: it is skipped
    // because it is not shown, not because it is gone.
    XWindowAttributes a;
    QVERIFY(XGetWindowAttributes(m_x->display, static_cast<Window>(dialog), &a));
    char* name = nullptr;
    QVERIFY(XFetchName(m_x->display, static_cast<Window>(dialog), &name) && name);
    QCOMPARE(QByteArray(name), QByteArray("Hidden Dialog"));
    XFree(name);
}

void TestX11Backend::retitledWindowIsFoundUnderItsNewTitle()
{
    auto probe = startProbe(QStringLiteral("Sound - Untitled"));
    const auto w = probe->window();
    QCOMPARE(m_ws->findTopWindow(WindowClass::Any, "Sound - Untitled"), w);
    QCOMPARE(m_ws->findTopWindow(WindowClass::Any, "Sound - Sound Recorder"), WindowHandle(0));
    probe->command("title Sound - Sound Recorder");
    QTRY_COMPARE_WITH_TIMEOUT(m_ws->findTopWindow(WindowClass::Any, "Sound - Sound Recorder"), w,
                              10000);
    QCOMPARE(m_ws->findTopWindow(WindowClass::Any, "Sound - Untitled"), WindowHandle(0));
    // A second program under the old title is found, the renamed one is not.
    auto other = startProbe(QStringLiteral("Sound - Untitled"));
    QCOMPARE(m_ws->findTopWindow(WindowClass::Any, "Sound - Untitled"), other->window());
}

void TestX11Backend::bringToFrontMovesTheFocus()
{
    auto one = startProbe(QStringLiteral("Front One"));
    auto two = startProbe(QStringLiteral("Front Two"));
    const auto w1 = one->window();
    const auto w2 = two->window();
    // One has the focus; bring the other forward.
    QVERIFY(m_ws->bringToFront(w2).isDone());
    QVERIFY(two->waitFor([&] { return two->last("focus") == "Front%20Two"; }));
    QVERIFY(m_ws->bringToFront(w1).isDone());
    QCOMPARE(m_x->activeWindow(), Window(w1));
    QVERIFY(m_x->focusInside(static_cast<Window>(w1)));
    QVERIFY(one->waitFor([&] { return one->last("focus") == "Front%20One"; }));
    QVERIFY(two->waitFor([&] { return two->last("focus") == "-"; }));

    // Already in front: at once, without the bounded wait.
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_ws->bringToFront(w1).isDone());
    QVERIFY2(clock.elapsed() < BringToFrontLimit.count() / 2, "waited although already active");

    QVERIFY(m_ws->bringToFront(w2).isDone());
    QCOMPARE(m_x->activeWindow(), Window(w2));
    QVERIFY(two->waitFor([&] { return two->last("focus") == "Front%20Two"; }));
}

void TestX11Backend::bringToFrontFailsFastOnAVanishedWindow()
{
    const Window gone = m_x->createTitled("Short Lived");
    XDestroyWindow(m_x->display, gone);
    XSync(m_x->display, False);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_ws->bringToFront(gone).isFailed());
    QVERIFY(clock.elapsed() < BringToFrontLimit.count() / 2);
    QVERIFY(!m_ws->isWindowShown(gone));
    QVERIFY(!m_ws->isMinimized(gone));
    m_ws->restoreWindow(gone);
    // The connection survived the errors and still works.
    QCOMPARE(m_ws->findTopWindow(WindowClass::Any, "Netscape - [Message Composition]"),
             m_composer->window());
}

void TestX11Backend::minimiseAndRestore()
{
    auto probe = startProbe(QStringLiteral("Minimise Me"));
    const auto w = probe->window();
    QVERIFY(!m_ws->isMinimized(w));
    XIconifyWindow(m_x->display, static_cast<Window>(w), DefaultScreen(m_x->display));
    XFlush(m_x->display);
    QTRY_VERIFY_WITH_TIMEOUT(m_ws->isMinimized(w), 10000);
    QVERIFY(probe->waitForRecord("state", "minimized"));
    QVERIFY(m_ws->isWindowShown(w)); // a minimised window still counts as shown
    QCOMPARE(m_ws->findTopWindow(WindowClass::Any, "Minimise Me"), w);

    m_ws->restoreWindow(w);
    QTRY_VERIFY_WITH_TIMEOUT(!m_ws->isMinimized(w), 10000);
    QVERIFY(probe->waitFor([&] { return probe->last("state") == "normal"; }));
    QVERIFY(m_ws->bringToFront(w).isDone());
    QVERIFY(m_x->focusInside(static_cast<Window>(w)));
}

void TestX11Backend::altLetterOpensMenuAndDialog_data()
{
    QTest::addColumn<QByteArrayList>("sends");
    QTest::newRow("two sends, capital") << QByteArrayList{"%F", "D"};
    QTest::newRow("two sends, small") << QByteArrayList{"%f", "d"};
    QTest::newRow("one send") << QByteArrayList{"%FD"};
}

void TestX11Backend::altLetterOpensMenuAndDialog()
{
    QFETCH(QByteArrayList, sends);
    auto probe = startProbe(QStringLiteral("Menu Probe"),
                            {QStringLiteral("--dialog-title"), QStringLiteral("Menu Dialog")});
    QVERIFY(m_ws->bringToFront(probe->window()).isDone());
    for (const QByteArray& s : sends) {
        QVERIFY(m_ws->sendKeys(notation(s.constData())));
        if (s.startsWith('%') && sends.size() > 1)
            QVERIFY(probe->waitForRecord("menu", "File"));
    }
    QVERIFY(probe->waitForRecord("menu", "File"));
    // Alt and the plain key: a shifted one would not have opened the menu.
    QCOMPARE(probe->records("shortcut"), QByteArrayList{"Alt%2BF"});
    QVERIFY(probe->waitFor([&] { return probe->dialog() != 0; }));
    QTRY_COMPARE_WITH_TIMEOUT(m_ws->findTopWindow(WindowClass::Dialog, "Menu Dialog"),
                              probe->dialog(), 10000);
    QCOMPARE(m_x->heldModifiers(), QStringList());
}

void TestX11Backend::literalTypingArrivesByteForByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("path") << QString::fromUtf8("/tmp/a b/[12-06-98]03 45 12PM ~%+^(){}é Ü.wav");
    QTest::newRow("capitals after new bindings") << QString::fromUtf8("ÉéÜü AaZz ÀàÇç ÑñØøß /X/Y");
    QTest::newRow("beyond Latin-1") << QString::fromUtf8("Ωμέγα €5 – „Zitat“ łódź Čř 日本");
    QTest::newRow("every ASCII sign") << QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
}

void TestX11Backend::literalTypingArrivesByteForByte()
{
    QFETCH(QString, text);
    auto probe = startProbe(QStringLiteral("Typing Probe"));
    QVERIFY(m_ws->bringToFront(probe->window()).isDone());
    for (int run = 0; run < 3; ++run) {
        QByteArray arrived;
        QVERIFY(typeLine(*probe, text, &arrived));
        QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(arrived)), text);
        QCOMPARE(arrived, ProbeProcess::enc(text));
    }
    QCOMPARE(m_x->heldModifiers(), QStringList());
}

void TestX11Backend::breakArrivesAsPause()
{
    auto probe = startProbe(QStringLiteral("Break Probe"));
    QVERIFY(m_ws->bringToFront(probe->window()).isDone());
    QVERIFY(m_ws->sendKeys(notation("{BREAK}")));
    const QByteArray pause = QByteArray::number(Qt::Key_Pause, 16);
    QVERIFY(probe->waitFor([&] {
        for (const QByteArray& k : probe->records("key"))
            if (k.split(' ').value(1) == pause)
                return true;
        return false;
    }));
    // Break with nothing else: no modifier came with it.
    for (const QByteArray& k : probe->records("key"))
        if (k.split(' ').value(1) == pause)
            QCOMPARE(k.split(' ').value(2), QByteArray("0"));
}

void TestX11Backend::noModifierLeftHeld_data()
{
    QTest::addColumn<QString>("leftDown"); // a modifier some other program left held
    QTest::newRow("none") << QString();
    QTest::newRow("Shift") << QStringLiteral("Shift_L");
    QTest::newRow("Control") << QStringLiteral("Control_L");
}

void TestX11Backend::noModifierLeftHeld()
{
    QFETCH(QString, leftDown);
    auto probe = startProbe(QStringLiteral("Modifier Probe"));
    QVERIFY(m_ws->bringToFront(probe->window()).isDone());
    if (!leftDown.isEmpty()) {
        const KeyCode code =
            XKeysymToKeycode(m_x->display, XStringToKeysym(leftDown.toLatin1().constData()));
        XTestFakeKeyEvent(m_x->display, code, True, CurrentTime);
        XSync(m_x->display, False);
        QCOMPARE(m_x->heldModifiers(), QStringList{leftDown});
    }
    QByteArray arrived;
    QVERIFY(typeLine(*probe, QStringLiteral("abc XYZ"), &arrived));
    QCOMPARE(arrived, QByteArray("abc%20XYZ"));
    QCOMPARE(m_x->heldModifiers(), QStringList());
    QVERIFY(m_ws->sendKeys(notation("%F")));
    QVERIFY(probe->waitForRecord("menu", "File"));
    QCOMPARE(m_x->heldModifiers(), QStringList());
}

void TestX11Backend::capsLockDoesNotChangeTyping()
{
    auto probe = startProbe(QStringLiteral("Caps Probe"));
    QVERIFY(m_ws->bringToFront(probe->window()).isDone());
    XkbLockModifiers(m_x->display, XkbUseCoreKbd, LockMask, LockMask);
    XSync(m_x->display, False);
    QByteArray arrived;
    const bool typed = typeLine(*probe, QString::fromUtf8("aB éÜ"), &arrived);
    XkbStateRec state{};
    XkbGetState(m_x->display, XkbUseCoreKbd, &state);
    XkbLockModifiers(m_x->display, XkbUseCoreKbd, LockMask, 0);
    XSync(m_x->display, False);
    QVERIFY(typed);
    QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(arrived)),
             QString::fromUtf8("aB éÜ"));
    QVERIFY2(state.locked_mods & LockMask, "Caps Lock was not given back");
}

void TestX11Backend::activateByTitle()
{
    auto exact = startProbe(QStringLiteral("Voice"));
    auto longer = startProbe(QStringLiteral("Voice Mail Helper"));
    const auto we = exact->window();
    const auto wl = longer->window();
    QVERIFY(m_ws->bringToFront(wl).isDone());

    // The exact title wins over a longer one in front of it.
    QVERIFY(m_ws->activateByTitle("Voice"));
    QTRY_COMPARE_WITH_TIMEOUT(m_x->activeWindow(), Window(we), 10000);
    QVERIFY(exact->waitFor([&] { return exact->last("focus") == "Voice"; }));
    // Otherwise the first title that begins with it.
    QVERIFY(m_ws->activateByTitle("Voice M"));
    QTRY_COMPARE_WITH_TIMEOUT(m_x->activeWindow(), Window(wl), 10000);
    QVERIFY(m_ws->activateByTitle("Aufnahme"));
    QTRY_COMPARE_WITH_TIMEOUT(m_x->activeWindow(), Window(m_umlaut->window()), 10000);

    QVERIFY(!m_ws->activateByTitle("oice"));
    QVERIFY(!m_ws->activateByTitle("voice"));
    QVERIFY(!m_ws->activateByTitle("Voice Mail Helper and more"));
    QVERIFY(!m_ws->activateByTitle(""));
    QCOMPARE(m_x->activeWindow(), Window(m_umlaut->window()));
}

// The facade sends keys to other programs only: when one of the test's own
// windows has taken the keyboard, the window the keys are meant for gets it
// back first, and with that one gone nothing is sent at all.
void TestX11Backend::keysNeverLandInOwnWindows()
{
    Automation facade(openX11WindowSystem());
    auto probe = startProbe(QStringLiteral("Keys Go Here"));
    const auto target = probe->window();
    QLineEdit own;
    own.setWindowTitle(QStringLiteral("Our Own Window"));
    own.show();
    QVERIFY(QTest::qWaitForWindowExposed(&own));
    const auto ownWindow = static_cast<Window>(own.winId());
    const auto takeKeyboard = [&] {
        own.activateWindow();
        return QTest::qWaitFor([&] { return m_x->focusInside(ownWindow); }, 10000);
    };

    QCOMPARE(facade.BringToFront(target), 1);
    QVERIFY(takeKeyboard());
    QVERIFY(facade.SendKeystrokes(target, QStringLiteral("[a~b]"), KeyMode::Literal));
    QVERIFY(facade.SendKeystrokes(target, QStringLiteral("~")));
    QVERIFY(probe->waitFor([&] { return probe->last("entered") == ProbeProcess::enc("[a~b]"); }));
    QCOMPARE(m_x->activeWindow(), Window(target));

    probe.reset();
    QVERIFY(takeKeyboard());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("program's windows; nothing sent"));
    QVERIFY(!facade.SendKeystrokes(target, QStringLiteral("xyz~")));
    // A marker typed past the guard arrives after anything sent before it.
    QVERIFY(m_ws->sendKeys(literal(QStringLiteral("!"))));
    QTRY_VERIFY_WITH_TIMEOUT(!own.text().isEmpty(), 10000);
    QCOMPARE(own.text(), QStringLiteral("!"));
}

void TestX11Backend::facadeWakesWhenAWindowAppears()
{
    auto counting = std::make_unique<CountingBackend>(openX11WindowSystem());
    CountingBackend* backend = counting.get();
    QVERIFY(backend->eventSource() >= 0);
    Automation automation(std::move(counting));
    for (int i = 0; i < 5; ++i)
        automation.ProcessPendingEvents();

    // A new window makes the connection readable at once...
    const Window w = m_x->createTitled("Appearing Window");
    XSync(m_x->display, False);
    QVERIFY(readable(backend->eventSource(), 5000));
    // ...and the next pass over pending events reads it.
    const int before = backend->drains;
    automation.ProcessPendingEvents();
    QVERIFY(backend->drains > before);

    // The polling loop of the windows: look up, then one pass.
    XMapWindow(m_x->display, w);
    XFlush(m_x->display);
    QElapsedTimer clock;
    clock.start();
    WindowHandle found = 0;
    while (!found && clock.elapsed() < 10000) {
        found = automation.FindTopWindow(QString(), QStringLiteral("Appearing Window"));
        if (!found)
            automation.ProcessPendingEvents();
    }
    QCOMPARE(found, WindowHandle(w));

    // A retitled window wakes the wait as well.
    automation.ProcessPendingEvents();
    while (readable(backend->eventSource(), 0))
        automation.ProcessPendingEvents();
    XStoreName(m_x->display, w, "Renamed Window");
    XSync(m_x->display, False);
    QVERIFY(readable(backend->eventSource(), 5000));
    XDestroyWindow(m_x->display, w);
    XSync(m_x->display, False);
}

void TestX11Backend::newsReadDuringACallStillWakesTheWait()
{
    auto ws = openX11WindowSystem();
    const int fd = ws->eventSource();
    // Let earlier activity settle (the window manager may still be busy).
    do
        ws->drainEvents();
    while (readable(fd, 200));
    // The event is waiting in the socket when the call begins; its round trips
    // read it into the library's queue, where no socket wait can see it.
    const Window w = m_x->createTitled("Arriving Meanwhile");
    XSync(m_x->display, False);
    QVERIFY(readable(fd, 5000));
    QVERIFY(!ws->activateByTitle("No Window Has This Title"));
    // Still the connection must wake whoever waits next.
    QVERIFY(readable(fd, 5000));
    ws->drainEvents();
    XDestroyWindow(m_x->display, w);
    XSync(m_x->display, False);
}

void TestX11Backend::withoutWindowManager()
{
    BareServer server;
    QVERIFY2(!server.name.isEmpty(), "Xvfb did not start");
    const QByteArray name = server.name.toLatin1();
    auto ws = openX11WindowSystem(name.constData());
    QVERIFY(ws);
    XView x(name.constData());
    QVERIFY(x.display);

    ProbeProcess first(QStringLiteral("Bare Twin"),
                       {QStringLiteral("--dialog-title"), QStringLiteral("Bare Dialog")},
                       server.name);
    const auto a = first.waitForWindow();
    QVERIFY(a);
    QTRY_COMPARE_WITH_TIMEOUT(ws->findTopWindow(WindowClass::Any, "Bare Twin"), a, 10000);
    ProbeProcess second(QStringLiteral("Bare Twin"), {}, server.name);
    const auto b = second.waitForWindow();
    QVERIFY(b);
    QTRY_COMPARE_WITH_TIMEOUT(ws->findTopWindow(WindowClass::Any, "Bare Twin"), b, 10000);
    QCOMPARE(ws->findTopWindow(WindowClass::Any, "Bare"), WindowHandle(0));
    QVERIFY(ws->isWindowShown(a));
    QVERIFY(!ws->isMinimized(a));

    // Raised and focused by the backend itself.
    QVERIFY(ws->bringToFront(a).isDone());
    QVERIFY(x.focusInside(static_cast<Window>(a)));
    QCOMPARE(ws->findTopWindow(WindowClass::Any, "Bare Twin"), a);
    QVERIFY(first.waitFor([&] { return first.last("focus") == "Bare%20Twin"; }));

    const auto before = first.records("entered").size();
    QVERIFY(ws->sendKeys(literal(QString::fromUtf8("[x] ~%é Ü"))));
    QVERIFY(ws->sendKeys(enter));
    QVERIFY(first.waitFor([&] { return first.records("entered").size() > before; }));
    QCOMPARE(first.records("entered").last(), ProbeProcess::enc(QString::fromUtf8("[x] ~%é Ü")));

    // The dialog, its class, and a hidden window with a title.
    first.command("dialog");
    QVERIFY(first.waitFor([&] { return first.dialog() != 0; }));
    QTRY_COMPARE_WITH_TIMEOUT(ws->findTopWindow(WindowClass::Dialog, "Bare Dialog"), first.dialog(),
                              10000);
    QCOMPARE(ws->findTopWindow(WindowClass::Dialog, "Bare Twin"), WindowHandle(0));
    first.command("hide-dialog");
    QVERIFY(first.waitForRecord("dialog", "hidden"));
    QTRY_COMPARE_WITH_TIMEOUT(ws->findTopWindow(WindowClass::Any, "Bare Dialog"), WindowHandle(0),
                              10000);

    QVERIFY(ws->activateByTitle("Bare T"));
    QVERIFY(!ws->activateByTitle("Nothing Like It"));
}

QTEST_MAIN(TestX11Backend)
#include "tst_x11backend.moc"
