// The stand-ins as separate programs on a real X display (Xvfb + openbox):
// windows found by their exact titles, keys sent with XTest in the groups the
// voice wizard sends, without waiting between the keys of a group or between
// groups that the wizard sends back to back.
//
// The typed-ahead cases send, through the wizard's own X11 backend, keys for a
// dialog or question right behind the keys that open it, without waiting for
// it: the X server addresses them to the window that has the focus when they
// are sent (the main window, the menu, the dialog underneath), before the
// program has even opened the new window. They must all reach the new window,
// as queued keys do on the desktop the programs come from.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include "KeyNotation.h"
#include "x11/X11WindowSystem.h"

// Xlib after Qt: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <memory>

namespace {

constexpr int Wait = 15000;

QStringList readLog(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A client of the test's X display: finds windows, sends keys.
// Windows may vanish between a listing and a look at them.
int ignoreErrors(Display*, XErrorEvent*)
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
                return w != 0 && m_system->bringToFront(w) == 1;
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

} // namespace

class TestStandinsX11 : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void recorderSavesCompressedAndLeaves();
    void mailerAttachesTheTypedPath_data();
    void mailerAttachesTheTypedPath();

    void startOverKeysBackToBack();
    void selectionKeysTypedAhead();
    void fileWindowKeysTypedAhead_data();
    void fileWindowKeysTypedAhead();

private:
    void startRecorder();
    void startRecordingInFront(Wizard& wizard);
    QStringList log() const { return readLog(m_dir->filePath(QStringLiteral("log"))); }
    bool waitLog(const QString& line) const
    {
        return QTest::qWaitFor([&] { return log().contains(line); }, Wait);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<Desktop> m_desktop;
};

void TestStandinsX11::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_desktop = std::make_unique<Desktop>();
    QVERIFY2(m_desktop->ok(), "no X display");
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setWorkingDirectory(m_dir->path());
}

void TestStandinsX11::cleanup()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(Wait);
    }
    m_process.reset();
    m_desktop.reset();
    m_dir.reset();
}

// The recorder started, recording, and brought to the front by the wizard's backend.
void TestStandinsX11::startRecordingInFront(Wizard& wizard)
{
    startRecorder();
    if (QTest::currentTestFailed())
        return;
    QVERIFY(wizard.ok());
    QVERIFY(waitLog(QStringLiteral("record\tstart")));
    QVERIFY(wizard.bringToFront(QStringLiteral("Sound - Sound Recorder")));
}

void TestStandinsX11::startRecorder()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("STANDIN_RECORDER_LOG"), m_dir->filePath(QStringLiteral("log")));
    env.insert(QStringLiteral("STANDIN_RECORDER_AUTORECORD"), QStringLiteral("1"));
    m_process->setProcessEnvironment(env);
    m_process->start(QStringLiteral(STANDIN_RECORDER), {});
    QVERIFY(m_process->waitForStarted(Wait));
}

void TestStandinsX11::recorderSavesCompressedAndLeaves()
{
    startRecorder();
    if (QTest::currentTestFailed())
        return;
    Desktop& x = *m_desktop;

    const Window recorder = x.waitFor(QStringLiteral("Sound - Sound Recorder"));
    QVERIFY(recorder);
    QVERIFY(waitLog(QStringLiteral("record\tstart")));
    QVERIFY(x.activate(recorder));
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("P"));
    const Window properties = x.waitFor(QStringLiteral("Properties for Sound"));
    QVERIFY(properties && x.isDialog(properties));
    x.send(QStringLiteral("%C"));
    const Window selection = x.waitFor(QStringLiteral("Sound Selection"));
    QVERIFY(selection && x.isDialog(selection));
    x.send(QStringLiteral("\t\tG\t\t~"));
    // Enter until the selection has gone, and once more.
    while (x.find(QStringLiteral("Sound Selection")))
        x.send(QStringLiteral("~"));
    x.send(QStringLiteral("~"));
    QVERIFY(waitLog(QStringLiteral("closed\tProperties for Sound\tOK")));
    QVERIFY(log().contains(QStringLiteral("format\tGSM 6.10\tgsm610")));

    x.send(QStringLiteral("^"));
    QVERIFY(waitLog(QStringLiteral("record\tstop")));
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("A"));
    const Window saveAs = x.waitFor(QStringLiteral("Save As"));
    QVERIFY(saveAs && x.isDialog(saveAs));
    QVERIFY(x.activate(saveAs));
    const QString folder = m_dir->filePath(QStringLiteral("Voice ~%(x) [1]"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/[12-06-98]03 45 12PM.wav");
    x.type(path);
    x.send(QStringLiteral("\t"));
    x.send(QStringLiteral("\t"));
    x.send(QStringLiteral("~"));
    x.send(QStringLiteral("%F"));
    x.send(QStringLiteral("X"));
    QVERIFY(m_process->waitForFinished(Wait));
    QCOMPARE(m_process->exitCode(), 0);

    const QStringList lines = log();
    QVERIFY(lines.contains(QStringLiteral("typed\t") + path));
    QVERIFY(lines.contains(QStringLiteral("saved\t%1\tgsm610").arg(path)));
    QCOMPARE(lines.filter(QStringLiteral("question\t")).size(), 0);
    QVERIFY(lines.contains(QStringLiteral("exit")));
    SF_INFO info{};
    SNDFILE* sound = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    QVERIFY(sound);
    sf_close(sound);
    QCOMPARE(info.format, SF_FORMAT_WAV | SF_FORMAT_GSM610);
    QVERIFY(info.frames > 0);
}

void TestStandinsX11::mailerAttachesTheTypedPath_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("netscape") << "netscape"
                              << "Netscape - [Message Composition]";
    QTest::newRow("composition") << "composition"
                                 << "Composition";
    QTest::newRow("newmessage") << "newmessage"
                                << "New Message";
}

void TestStandinsX11::mailerAttachesTheTypedPath()
{
    QFETCH(QString, kind);
    QFETCH(QString, title);
    const QString path =
        m_dir->filePath(QStringLiteral("Voice ~%(x) [1]/[12-06-98]03 45 12PM.wav"));
    m_process->start(QStringLiteral(STANDIN_MAILER),
                     {QStringLiteral("--kind"), kind, QStringLiteral("--log"),
                      m_dir->filePath(QStringLiteral("log"))});
    QVERIFY(m_process->waitForStarted(Wait));
    Desktop& x = *m_desktop;
    const Window compose = x.waitFor(title);
    QVERIFY(compose);
    QVERIFY(x.activate(compose));

    if (kind == QLatin1String("netscape")) {
        x.send(QStringLiteral("%F"));
        x.send(QStringLiteral("F"));
        const Window attachments = x.waitFor(QStringLiteral("Attachments"));
        QVERIFY(attachments && x.isDialog(attachments));
        QVERIFY(x.activate(attachments));
        x.send(QStringLiteral("F"));
        const Window file = x.waitFor(QStringLiteral("Enter file to attach"));
        QVERIFY(file && x.isDialog(file));
        QVERIFY(x.activate(file));
        x.type(path);
        x.send(QStringLiteral("~"));
        x.send(QStringLiteral("~"));
        QVERIFY(waitLog(QStringLiteral("closed\tAttachments\tOK")));
    } else {
        if (kind == QLatin1String("composition")) {
            for (const char* keys : {"%F", "T", "T", "~", "~"})
                x.send(QString::fromLatin1(keys));
        } else {
            x.send(QStringLiteral("%I"));
            x.send(QStringLiteral("A"));
        }
        const QString fileTitle = kind == QLatin1String("composition")
                                      ? QStringLiteral("Enter file to attach")
                                      : QStringLiteral("Insert Attachment");
        QVERIFY(x.waitFor(fileTitle));
        // Not brought to the front: a window that opens takes the keyboard.
        QVERIFY(waitLog(QStringLiteral("shown\t") + fileTitle));
        x.type(path);
        x.send(QStringLiteral("~"));
        QVERIFY(waitLog(QStringLiteral("hidden\t") + fileTitle));
    }
    const QStringList lines = log();
    QCOMPARE(lines.filter(QStringLiteral("attached\t")),
             QStringList{QStringLiteral("attached\t%1\tmissing").arg(path)});
    QVERIFY(!x.find(QStringLiteral("Enter file to attach")));
    QVERIFY(!x.find(QStringLiteral("Insert Attachment")));
    QVERIFY(!x.find(QStringLiteral("Attachments")));
}

void TestStandinsX11::startOverKeysBackToBack()
{
    // Leaving with an unsaved recording, as the wizard's "Start Over" does:
    // Alt+F opens the menu, X chooses Exit, which opens the question; Tab and
    // Enter answer No. The X server addresses the Tab and Enter to the menu
    // (which holds the keyboard) or to the main window, which the question
    // covers by the time they are read.
    Wizard wizard;
    startRecordingInFront(wizard);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(wizard.send({"%F", "X", "{TAB}", "~"}));
    QVERIFY2(m_process->waitForFinished(Wait), qPrintable(log().join(QLatin1Char('\n'))));
    const QStringList lines = log();
    QVERIFY(lines.contains(QStringLiteral("question\tNo")));
    QVERIFY(lines.contains(QStringLiteral("exit")));
    QVERIFY(lines.filter(QStringLiteral("saved\t")).isEmpty());
}

void TestStandinsX11::selectionKeysTypedAhead()
{
    // The format chosen and both dialogs confirmed with keys sent right
    // behind the key that opens "Sound Selection": every one of them is
    // addressed to "Properties for Sound", which the selection covers by the
    // time they are read.
    Wizard wizard;
    startRecordingInFront(wizard);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(wizard.send({"%F", "P"}));
    QVERIFY(QTest::qWaitFor(
        [&] { return wizard.find(QStringLiteral("Properties for Sound"), true) != 0; }, Wait));
    QVERIFY(wizard.send({"%C", "{TAB}", "{TAB}", "G", "{TAB}", "{TAB}", "~", "~"}));
    QVERIFY2(waitLog(QStringLiteral("closed\tProperties for Sound\tOK")),
             qPrintable(log().join(QLatin1Char('\n'))));
    const QStringList lines = log();
    QVERIFY(lines.contains(QStringLiteral("closed\tSound Selection\tOK")));
    QVERIFY(lines.contains(QStringLiteral("format\tGSM 6.10\tgsm610")));
    QVERIFY(QTest::qWaitFor([&] { return !wizard.find(QStringLiteral("Sound Selection")); }, Wait));
    QVERIFY(QTest::qWaitFor([&] { return !wizard.find(QStringLiteral("Properties for Sound")); },
                            Wait));
}

void TestStandinsX11::fileWindowKeysTypedAhead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fileWindow");
    QTest::newRow("netscape") << "netscape"
                              << "Netscape - [Message Composition]"
                              << "Enter file to attach";
    QTest::newRow("composition") << "composition"
                                 << "Composition"
                                 << "Enter file to attach";
    QTest::newRow("newmessage") << "newmessage"
                                << "New Message"
                                << "Insert Attachment";
}

void TestStandinsX11::fileWindowKeysTypedAhead()
{
    // The attach keys, the path and the Enter that confirms it in one go,
    // through menus that close and dialogs that open on the way: the path is
    // addressed to the compose window (or the menu), which the file window
    // covers by the time it is read.
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(QString, fileWindow);
    const QString path =
        m_dir->filePath(QStringLiteral("Voice ~%(x) [1]/[12-06-98]03 45 12PM.wav"));
    m_process->start(QStringLiteral(STANDIN_MAILER),
                     {QStringLiteral("--kind"), kind, QStringLiteral("--log"),
                      m_dir->filePath(QStringLiteral("log"))});
    QVERIFY(m_process->waitForStarted(Wait));
    Wizard wizard;
    QVERIFY(wizard.ok());
    QVERIFY(wizard.bringToFront(title));
    if (kind == QLatin1String("netscape"))
        QVERIFY(wizard.send({"%F", "F", "F"}));
    else if (kind == QLatin1String("composition"))
        QVERIFY(wizard.send({"%F", "T", "T", "~", "~"}));
    else
        QVERIFY(wizard.send({"%I", "A"}));
    QVERIFY(wizard.type(path));
    QVERIFY(wizard.send({"~"}));
    if (kind == QLatin1String("netscape"))
        QVERIFY(wizard.send({"~"})); // closes "Attachments"
    QVERIFY2(waitLog(QStringLiteral("attached\t%1\tmissing").arg(path)),
             qPrintable(log().join(QLatin1Char('\n'))));
    QVERIFY(waitLog(QStringLiteral("hidden\t") + fileWindow));
    if (kind == QLatin1String("netscape"))
        QVERIFY(waitLog(QStringLiteral("closed\tAttachments\tOK")));
    QCOMPARE(log().filter(QStringLiteral("attached\t")).size(), 1);
    QVERIFY(QTest::qWaitFor([&] { return !wizard.find(fileWindow); }, Wait));
}

QTEST_GUILESS_MAIN(TestStandinsX11)
#include "tst_standins_x11.moc"
