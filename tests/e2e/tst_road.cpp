// The whole road, for real: the wizard's windows driving the sound recorder
// and the stand-in e-mail program through the X11 backend, on Xvfb with
// openbox, with a private sound server. Record spoken words played into the
// microphone (or silence), stop, save a compressed voice file that is proven
// to hold the words (or not), attach it to each kind of compose window;
// start over; and the road through the voice file browser. The recorder opens where the
// instructions window, kept above it, does not cover it (also run on other screen sizes).

#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "Form9.h"
#include "Module1.h"
#include "RoadSetup.h"
#include "SpeechProof.h"
#include "WindowPlaces.h"
#include "WindowPlatform.h"
#include "automation/Automation.h"

#include <QApplication>
#include <QDir>
#include <QtEndian>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

// Xlib after Qt: its macros clash with Qt's names.
#include "PointerClicks.h"
#include "X11Frames.h"

using namespace vardane;
using namespace automation;

namespace {

constexpr int LogWaitMs = 30000;

// The WAV format tag of a file: 0x31 is GSM 6.10, 1 is PCM; -1 when it is no WAV file.
int wavFormatTag(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray d = f.readAll();
    if (d.size() < 12 || !d.startsWith("RIFF") || d.mid(8, 4) != "WAVE")
        return -1;
    for (qsizetype at = 12; at + 8 <= d.size();) {
        const QByteArray id = d.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(d.constData() + at + 4);
        if (id == "fmt " && at + 10 <= d.size())
            return qFromLittleEndian<quint16>(d.constData() + at + 8);
        at += 8 + size + (size & 1);
    }
    return -1;
}

QRect rectOf(const QJsonValue& v)
{
    const QJsonObject r = v.toObject();
    return {r["x"].toInt(), r["y"].toInt(), r["width"].toInt(), r["height"].toInt()};
}

bool onSway()
{
    return qEnvironmentVariableIsSet("SWAYSOCK");
}

// Where sway, which tiles what it does not float, has put one of the road's
// windows, as its own tree says: empty when it floats wholly on its output,
// else what the tree shows.
QString swayMisplacement(const QString& title)
{
    QProcess msg;
    msg.start(QStringLiteral("swaymsg"), {"-r", "-t", "get_tree"});
    if (!msg.waitForFinished(10000))
        return QStringLiteral("swaymsg did not answer");
    QString found = QStringLiteral("not in the tree");
    std::function<void(const QJsonObject&, QRect, bool)> walk = [&](const QJsonObject& node,
                                                                    QRect output, bool floating) {
        if (node["type"].toString() == "output")
            output = rectOf(node["rect"]);
        if (node["shell"].toString() == "xwayland" && node["name"].toString() == title) {
            const QRect r = rectOf(node["rect"]);
            found = floating && output.contains(r) ? QString()
                                                   : QStringLiteral("%1 at %2x%3+%4+%5 on %6x%7")
                                                         .arg(floating ? "floating" : "tiled")
                                                         .arg(r.width())
                                                         .arg(r.height())
                                                         .arg(r.x())
                                                         .arg(r.y())
                                                         .arg(output.width())
                                                         .arg(output.height());
        }
        for (const QJsonValue& child : node["nodes"].toArray())
            walk(child.toObject(), output, false);
        for (const QJsonValue& child : node["floating_nodes"].toArray())
            walk(child.toObject(), output, true);
    };
    walk(QJsonDocument::fromJson(msg.readAllStandardOutput()).object(), {}, false);
    return found;
}

using pointer::onScreen;

bool clickWhere(const std::function<QPoint()>& at, const std::function<bool()>& over)
{
    return pointer::clickWhere(at, over, LogWaitMs);
}

bool clickButton(QPushButton* button)
{
    return pointer::clickButton(button, LogWaitMs);
}

// A window's place in sway's own tree, its frame left out.
QPoint swayContentOrigin(const QString& title)
{
    QProcess msg;
    msg.start(QStringLiteral("swaymsg"), {"-r", "-t", "get_tree"});
    if (!msg.waitForFinished(10000))
        return {};
    QPoint found;
    std::function<void(const QJsonObject&)> walk = [&](const QJsonObject& node) {
        if (node["shell"].toString() == "xwayland" && node["name"].toString() == title)
            found = rectOf(node["rect"]).topLeft() + rectOf(node["window_rect"]).topLeft();
        for (const char* kids : {"nodes", "floating_nodes"})
            for (const QJsonValue& child : node[kids].toArray())
                walk(child.toObject());
    };
    walk(QJsonDocument::fromJson(msg.readAllStandardOutput()).object());
    return found;
}

// The mapped top-level X windows of a process, where the X server has them:
// its windows, and its open menus (unmanaged).
struct ShownWindow
{
    QRect rect;
    bool menu = false;
};
std::vector<ShownWindow> windowsOf(qint64 pid)
{
    Display* d = pointer::display();
    const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
    std::vector<ShownWindow> found;
    // A window manager that frames windows has them one level down.
    std::function<void(Window, bool)> walk = [&](Window parent, bool top) {
        Window root = 0, up = 0, *kids = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, parent, &root, &up, &kids, &count))
            return;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(d, kids[i], &a) || a.map_state != IsViewable)
                continue;
            Atom type = None;
            int format = 0;
            unsigned long n = 0, left = 0;
            unsigned char* data = nullptr;
            const bool hasPid = XGetWindowProperty(d, kids[i], pidAtom, 0, 1, False, XA_CARDINAL,
                                                   &type, &format, &n, &left, &data) == Success &&
                                data && format == 32 && n == 1;
            const long owner = hasPid ? *reinterpret_cast<const long*>(data) : 0;
            if (data)
                XFree(data);
            if (owner == pid) {
                int x = 0, y = 0;
                Window child = 0;
                XTranslateCoordinates(d, kids[i], root, 0, 0, &x, &y, &child);
                found.push_back({QRect(x, y, a.width, a.height), bool(a.override_redirect)});
            } else if (top && !hasPid) {
                walk(kids[i], false);
            }
        }
        if (kids)
            XFree(kids);
    };
    walk(DefaultRootWindow(d), true);
    return found;
}

// A notice (which sway leaves unmanaged) lies wholly on the screen.
bool wholeOnScreen(QWidget& notice)
{
    return QGuiApplication::primaryScreen()->virtualGeometry().contains(
        QRect(onScreen(&notice, {}), notice.size()));
}

// On sway, with native windows open beside the road: the window floats whole.
#define VERIFY_FLOATS_WHOLE(title)                                                                 \
    if (onSway())                                                                                  \
    QTRY_COMPARE_WITH_TIMEOUT(swayMisplacement(title), QString(), LogWaitMs)

} // namespace

class TestRoad : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void recordSaveAndAttach_data();
    void recordSaveAndAttach();
    void startOverLeavesNoFileAndNoRecorder();
    void attachAFileChosenInTheBrowser();
    void recorderClearOfInstructions();
    void roadByThePointer();

private:
    void recordAndSave(bool speak);
    void startMailer(const QString& kind, bool minimized = false);
    void attach();

    QTemporaryDir m_suite;
    QString m_spoken;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<road::LineLog> m_recorder;
    std::unique_ptr<road::LineLog> m_mailer;
    std::unique_ptr<QProcess> m_mailerProcess;
    // On sway: two native windows of a program beside the road, tiled.
    std::vector<std::unique_ptr<QProcess>> m_nativeWindows;
};

void TestRoad::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == "xcb", "runs on a real X server");
    // As the wizard's own start does.
    session::keepWindowPlacesTrue(*qApp);
    QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "runs against a private sound server");
    road::prepareRoad(m_suite);
    m_spoken = sound::speak(m_suite.filePath("spoken.wav"),
                            "Please call me back about the meeting on Tuesday afternoon.");
    QVERIFY(!m_spoken.isEmpty());
    if (onSway()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        for (const char* kind : {"composition", "newmessage"}) {
            auto& p = m_nativeWindows.emplace_back(std::make_unique<QProcess>());
            p->setProcessEnvironment(env);
            p->start(STANDIN_MAILER, {"--kind", kind, "--log", m_suite.filePath(kind)});
            QVERIFY(p->waitForStarted());
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_suite.filePath("composition")).size() > 0 &&
                                     QFileInfo(m_suite.filePath("newmessage")).size() > 0,
                                 LogWaitMs);
    }
}

void TestRoad::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    if (qEnvironmentVariableIsSet("TST_ROAD_KEEP")) {
        m_dir->setAutoRemove(false);
        qInfo("work folder: %s", qPrintable(m_dir->path()));
    }
    SetVoiceFolder(m_dir->filePath("Voice Files"));
    QVERIFY(QDir().mkpath(VoiceFolder()));
    m_recorder = std::make_unique<road::LineLog>(m_dir->filePath("recorder.log"));
    m_mailer = std::make_unique<road::LineLog>(m_dir->filePath("mailer.log"));
    road::setRecorderLog(m_recorder->path());
    form1();
    QVERIFY(QTest::qWaitForWindowExposed(&form1()));
}

void TestRoad::cleanup()
{
    // Leave no outside program behind for the next case.
    for (const QString& line : m_recorder->lines()) {
        const auto f = line.split(u'\t');
        if (f.size() >= 2 && f[0] == "start" && !m_recorder->has("exit"))
            ::kill(f[1].toInt(), SIGKILL);
    }
    if (m_mailerProcess) {
        m_mailerProcess->kill();
        m_mailerProcess->waitForFinished(10000);
        m_mailerProcess.reset();
    }
    resetForms();
    SetVoiceFolder({});
    QTRY_VERIFY_WITH_TIMEOUT(FindTopWindow(QString(), RecorderTitle) == 0, LogWaitMs);
}

void TestRoad::cleanupTestCase()
{
    for (auto& p : m_nativeWindows) {
        p->kill();
        p->waitForFinished(10000);
    }
    resetForms();
    Automation::install(nullptr);
}

void TestRoad::recordAndSave(bool speak)
{
    form1().New->trigger(); // returns once the instructions are up beside the recorder
    QVERIFY(form2().isVisible());
    QVERIFY(!form1().isVisible());
    VERIFY_FLOATS_WHOLE(form2().windowTitle());
    VERIFY_FLOATS_WHOLE(RecorderTitle);
    // The wizard goes on once the selection's window has gone; the recorder
    // logs the format it chose right after that.
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->has("format\tGSM 6.10\tgsm610"), LogWaitMs);
    // The last Enter confirming the properties may still be on its way.
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->has("closed\tProperties for Sound\tOK"), LogWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->has("record\tstart"), LogWaitMs);
    // Sound goes in only once the recorder has its first samples.
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->hasPrefix("record\tcaptured\t"), LogWaitMs);
    const qint64 pid = road::recorderPid(*m_recorder);
    if (speak)
        QVERIFY(sound::playIntoMicrophone(m_spoken));
    // What was played has come through once the recorder has captured well
    // over a second more; silence is recorded for longer than the words last.
    const double until = road::capturedSeconds(pid) + (speak ? 1.5 : 5.0);
    QTRY_VERIFY_WITH_TIMEOUT(road::capturedSeconds(pid) >= until, LogWaitMs);

    form2().Command1->click(); // NEXT
    QVERIFY(form3().isVisible());
    VERIFY_FLOATS_WHOLE(form3().windowTitle());
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->has("record\tstop"), LogWaitMs);
    QVERIFY(m_recorder->hasPrefix("key\tSound - Sound Recorder\tPause"));

    form3().Command2->click(); // Save
    const QString file = CurrentVoiceFile();
    QVERIFY(QFileInfo(file).absolutePath() == QDir(VoiceFolder()).absolutePath());
    QVERIFY2(QRegularExpression(R"(^\[\d\d-\d\d-\d\d\]\d\d \d\d \d\d(AM|PM)\.wav$)")
                 .match(QFileInfo(file).fileName())
                 .hasMatch(),
             qPrintable(file));
    QVERIFY(m_recorder->has("saved\t" + file + "\tgsm610"));
    QCOMPARE(wavFormatTag(file), 0x31);
    const auto proof = speechproof::prove(m_spoken.toStdString(), file.toStdString());
    qInfo("%s: %s", qPrintable(QFileInfo(file).fileName()), proof.describe().c_str());
    QVERIFY2(proof.holdsSpeech == speak, proof.describe().c_str());
    QVERIFY(form9().isVisible());
    QVERIFY(form6().isVisible());
    VERIFY_FLOATS_WHOLE(form6().windowTitle());
    // The recorder was closed by its own menu.
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->has("exit"), LogWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(FindTopWindow(QString(), RecorderTitle) == 0, LogWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!form9().isVisible(), LogWaitMs);
}

void TestRoad::startMailer(const QString& kind, bool minimized)
{
    m_mailerProcess = std::make_unique<QProcess>();
    // An X11 program, on a Wayland session too.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_mailerProcess->setProcessEnvironment(env);
    QStringList args{"--kind", kind, "--log", m_mailer->path()};
    if (minimized)
        args << "--minimized";
    m_mailerProcess->start(STANDIN_MAILER, args);
    QVERIFY(m_mailerProcess->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_mailer->hasPrefix("shown\t"), LogWaitMs);
    // "shown" is logged when the program shows its window, before the window
    // manager has put it on the screen, where the wizard looks for it.
    const QString title = kind == "netscape"      ? "Netscape - [Message Composition]"
                          : kind == "composition" ? "Composition"
                                                  : "New Message";
    QTRY_VERIFY_WITH_TIMEOUT(FindTopWindow(QString(), title) != 0, LogWaitMs);
}

void TestRoad::attach()
{
    form6().Command2->click(); // Attach Voice; returns once the file window has closed
    QVERIFY(form7().isVisible());
    QVERIFY(form8().isVisible());
    QVERIFY(!form6().isVisible());
    QVERIFY(m_mailer->has("attached\t" + CurrentVoiceFile() + "\tfound"));
    VERIFY_FLOATS_WHOLE(form7().windowTitle());
    QTRY_VERIFY_WITH_TIMEOUT(!form8().isVisible(), LogWaitMs);
    form7().Command1->click(); // Start Over
    QVERIFY(form1().isVisible());
    VERIFY_FLOATS_WHOLE(form1().windowTitle());
    QVERIFY(!form7().isVisible());
}

void TestRoad::recordSaveAndAttach_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("minimized");
    QTest::addColumn<bool>("speak");
    QTest::newRow("Netscape, spoken words") << "netscape" << false << true;
    QTest::newRow("Composition, spoken words") << "composition" << false << true;
    QTest::newRow("New Message, minimised, silence") << "newmessage" << true << false;
}

void TestRoad::recordSaveAndAttach()
{
    QFETCH(QString, kind);
    QFETCH(bool, minimized);
    QFETCH(bool, speak);
    recordAndSave(speak);
    startMailer(kind, minimized);
    attach();
}

void TestRoad::startOverLeavesNoFileAndNoRecorder()
{
    form1().New->trigger();
    QVERIFY(form2().isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->has("record\tstart"), LogWaitMs);
    form2().Command1->click();
    form3().Command1->click(); // Start Over
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->has("exit"), LogWaitMs);
    QVERIFY(m_recorder->has("question\tNo"));
    QVERIFY(!m_recorder->hasPrefix("saved\t"));
    QVERIFY(QDir(VoiceFolder()).isEmpty());
    QVERIFY(form1().isVisible());
    QVERIFY(!form3().isVisible());
}

void TestRoad::roadByThePointer()
{
    // The road as a person goes it: File opened by a click on the menu bar,
    // "&Record A Message" clicked in it; the menu opens at its title, on the
    // screen, wherever the compositor has put the window; the recorder's menu
    // too; then NEXT, Save, "Attach Voice" and Start Over clicked, each notice
    // wholly on the screen. On sway, each window is clicked once the X server
    // has it where sway's own tree shows it.
    const auto placed = [](QWidget* window) {
        return !onSway() ||
               QTest::qWaitFor(
                   [&] { return onScreen(window, {}) == swayContentOrigin(window->windowTitle()); },
                   LogWaitMs);
    };
    Form1& main = form1();
    QVERIFY(placed(&main));
    QMenuBar* bar = main.menuBar();
    const QRect title = bar->actionGeometry(main.File->menuAction());
    QVERIFY(clickWhere([&] { return onScreen(bar, title.center()); },
                       [&] { return bar->activeAction() == main.File->menuAction(); }));
    QTRY_VERIFY_WITH_TIMEOUT(main.File->isVisible(), LogWaitMs);
    const QPoint below = onScreen(bar, title.bottomLeft());
    const QPoint menu = onScreen(main.File, {});
    QVERIFY2((menu - below).manhattanLength() <= 8,
             qPrintable(QStringLiteral("the menu at %1,%2, its title's foot at %3,%4")
                            .arg(menu.x())
                            .arg(menu.y())
                            .arg(below.x())
                            .arg(below.y())));
    const QRect item = main.File->actionGeometry(main.New);
    // The click works the item the road starts from (the road runs within it).
    QVERIFY(clickWhere([&] { return onScreen(main.File, item.center()); },
                       [&] { return main.File->activeAction() == main.New; }));
    QTRY_VERIFY_WITH_TIMEOUT(form2().isVisible(), LogWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->has("record\tstart"), LogWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->hasPrefix("record\tcaptured\t"), LogWaitMs);
    // The recorder's File menu, opened by a click on its title, opens at its
    // menu bar; a second click on the title closes it again.
    const qint64 recorder = road::recorderPid(*m_recorder);
    const auto recorderWindow = [&] {
        for (const ShownWindow& w : windowsOf(recorder))
            if (!w.menu)
                return w.rect;
        return QRect();
    };
    const auto recorderMenu = [&] {
        for (const ShownWindow& w : windowsOf(recorder))
            if (w.menu)
                return w.rect;
        return QRect();
    };
    const auto recorderTitle = [&] { return recorderWindow().topLeft() + QPoint(12, 10); };
    QTRY_VERIFY_WITH_TIMEOUT(recorderWindow().isValid(), LogWaitMs);
    QVERIFY(clickWhere(recorderTitle, [] { return true; }));
    QTRY_VERIFY_WITH_TIMEOUT(recorderMenu().isValid(), LogWaitMs);
    const QRect window = recorderWindow();
    const QRect opened = recorderMenu();
    QVERIFY2(std::abs(opened.left() - window.left()) <= 8 && opened.top() > window.top() &&
                 opened.top() <= window.top() + 40,
             qPrintable(QStringLiteral("the recorder's menu at %1,%2, its window at %3,%4")
                            .arg(opened.x())
                            .arg(opened.y())
                            .arg(window.x())
                            .arg(window.y())));
    QVERIFY(clickWhere(recorderTitle, [] { return true; }));
    QTRY_VERIFY_WITH_TIMEOUT(!recorderMenu().isValid(), LogWaitMs);
    QVERIFY(placed(&form2()));
    QVERIFY(clickButton(form2().Command1)); // NEXT
    QTRY_VERIFY_WITH_TIMEOUT(form3().isVisible(), LogWaitMs);
    QVERIFY(placed(&form3()));
    QVERIFY(clickButton(form3().Command2)); // Save; the click returns once the notice is up
    QTRY_VERIFY_WITH_TIMEOUT(form9().isVisible(), LogWaitMs);
    QVERIFY(wholeOnScreen(form9()));
    QVERIFY(m_recorder->has("saved\t" + CurrentVoiceFile() + "\tgsm610"));
    startMailer("netscape", false);
    QTRY_VERIFY_WITH_TIMEOUT(form6().isVisible(), LogWaitMs);
    VERIFY_FLOATS_WHOLE(form6().windowTitle());
    QVERIFY(placed(&form6()));
    QVERIFY(clickButton(form6().Command2)); // Attach Voice
    QTRY_VERIFY_WITH_TIMEOUT(form7().isVisible(), LogWaitMs);
    QVERIFY(form8().isVisible());
    QVERIFY(wholeOnScreen(form8()));
    QVERIFY(m_mailer->has("attached\t" + CurrentVoiceFile() + "\tfound"));
    VERIFY_FLOATS_WHOLE(form7().windowTitle());
    QVERIFY(placed(&form7()));
    QVERIFY(clickButton(form7().Command1)); // Start Over
    QTRY_VERIFY_WITH_TIMEOUT(main.isVisible(), LogWaitMs);
    QVERIFY(!form8().isVisible());
}

void TestRoad::attachAFileChosenInTheBrowser()
{
    // A name a shell would act on: it must only ever be handed on as a file
    // name and typed as text, never run.
    const QString name =
        "[01-02-03]04 05 06AM $(touch made-by-shell) `touch made2`;x|y 'q\" ~%(é).wav";
    QFile wav(VoiceFolder() + "/" + name);
    QVERIFY(wav.open(QIODevice::WriteOnly));
    wav.write("RIFF");
    wav.close();
    // The desktop's opener, replaced by one that records what it was given.
    const QString bin = m_dir->filePath("bin");
    QVERIFY(QDir().mkpath(bin));
    QFile opener(bin + "/xdg-open");
    QVERIFY(opener.open(QIODevice::WriteOnly));
    // Written whole, then renamed: the test never reads a half-written record.
    opener.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.part\"\n"
                 "mv \"$0.part\" \"$0.args\"\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toLocal8Bit() + ':' + path);
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());

    form1().Open->trigger();
    Form4& b = form4();
    QVERIFY(b.isVisible());
    const auto items = b.File1->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    b.File1->setCurrentItem(items.first());
    emit b.File1->itemClicked(items.first());
    b.Command4->click(); // Test Voice File
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bin + "/xdg-open.args"), LogWaitMs);
    QFile args(bin + "/xdg-open.args");
    QVERIFY(args.open(QIODevice::ReadOnly));
    const QStringList given = QString::fromUtf8(args.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(given.size(), 1);
    QCOMPARE(QUrl(given[0]).toLocalFile(), VoiceFolder() + "/" + name);

    b.Command2->click(); // Yes, Attach File
    QCOMPARE(CurrentVoiceFile(), QDir::toNativeSeparators(VoiceFolder() + "/" + name));
    QVERIFY(form6().isVisible());
    startMailer("newmessage");
    attach();

    qputenv("PATH", path);
    QDir::setCurrent(cwd);
    for (const char* made : {"made-by-shell", "made2"}) {
        QVERIFY(!QFile::exists(m_dir->filePath(made)));
        QVERIFY(!QFile::exists(VoiceFolder() + "/" + made));
    }
}

void TestRoad::recorderClearOfInstructions()
{
    // Another program's windows leave free only a space in the middle of the lower half, so that
    // a window manager puts a new window where the instructions window goes.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int w = screen.width();
    const int h = screen.height();
    const QRect free(w / 2 - 250, h / 2, 500, h * 9 / 25);
    std::vector<std::unique_ptr<QWidget>> others;
    for (const QRect& r : {QRect(0, 0, w, free.top()), QRect(0, free.bottom() + 1, w, h),
                           QRect(0, free.top(), free.left(), free.height()),
                           QRect(free.right() + 1, free.top(), w, free.height())}) {
        others.push_back(std::make_unique<QWidget>());
        others.back()->setWindowTitle("Other Program");
        others.back()->setGeometry(r.intersected(screen));
        others.back()->show();
    }
    for (const auto& other : others)
        QVERIFY(QTest::qWaitForWindowExposed(other.get()));

    form1().New->trigger();
    QVERIFY(form2().isVisible());
    const WindowHandle recorder = FindTopWindow(QString(), RecorderTitle);
    QVERIFY(recorder);
    Display* display = XOpenDisplay(nullptr);
    QVERIFY(display);
    QRect instructions;
    QRect recorderFrame;
    auto clear = [&] {
        instructions = frameOnScreen(display, form2().winId());
        recorderFrame = frameOnScreen(display, static_cast<Window>(recorder));
        return !instructions.isNull() && !recorderFrame.isNull() &&
               !instructions.intersects(recorderFrame);
    };
    const bool wasClear = QTest::qWaitFor(clear, LogWaitMs);
    XCloseDisplay(display);
    const auto text = [](const QRect& r) {
        return QString("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
    };
    qInfo("screen %s: instructions %s, recorder %s", qPrintable(text(screen)),
          qPrintable(text(instructions)), qPrintable(text(recorderFrame)));
    QVERIFY2(wasClear, "the instructions window covers the recorder");
    // Both whole on the screen, the recorder at its size (a screen this big needs no less).
    QVERIFY(screen.contains(instructions));
    QVERIFY(screen.contains(recorderFrame));
    QVERIFY(recorderFrame.width() >= 400 && recorderFrame.height() >= 190);

    form2().Command1->click(); // NEXT
    form3().Command1->click(); // Start Over
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->has("exit"), LogWaitMs);
}

int main(int argc, char** argv)
{
    // As the wizard's own start: on a Wayland session, on its X server.
    session::WindowPlatform platform(argc, argv);
    QApplication app(argc, argv);
    platform.restoreEnvironment();
    TestRoad test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_road.moc"
