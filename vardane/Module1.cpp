#include "Module1.h"

#include "Form1.h"
#include "Form10.h"
#include "Form11.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "Form5.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "Form9.h"
#include "automation/Automation.h"
#include "WindowPlaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <array>
#include <memory>

// Resources of a static library are registered by hand.
static void initVardaneResources()
{
    Q_INIT_RESOURCE(vardane);
}

namespace vardane {

namespace {

std::array<std::unique_ptr<QWidget>, 12> g_forms;
QString g_currentVoiceFile;
QString g_voiceFolder;
int g_outsideWaitLimitMs = DefaultOutsideWaitLimitMs;
std::function<QDateTime()> g_clock;
std::function<void()> g_endProgram;
QMargins g_lastFrameMargins;

template <class F> F& form(int n)
{
    auto& slot = g_forms[static_cast<std::size_t>(n)];
    if (!slot) {
        static const bool resources = (initVardaneResources(), true);
        Q_UNUSED(resources);
        auto* f = new F;
        slot.reset(f);
        f->Form_Load();
    }
    return static_cast<F&>(*slot);
}

} // namespace

QString VoiceFolder()
{
    if (!g_voiceFolder.isEmpty())
        return g_voiceFolder;
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString beside = programFolder + QStringLiteral("/Voice Files");
    if (QFileInfo(beside).isWritable() || QFileInfo(programFolder).isWritable())
        return QDir::toNativeSeparators(beside);
    // A copy installed where its user cannot write (the package, under /usr) keeps the voice
    // files in a program folder of the user's own, made on first use:
    // $XDG_DATA_HOME/tindrel/Voice Files (~/.local/share/tindrel/Voice Files).
    const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/tindrel/Voice Files");
    QDir().mkpath(own);
    return QDir::toNativeSeparators(own);
}

void SetVoiceFolder(const QString& folder)
{
    g_voiceFolder = QDir::toNativeSeparators(folder);
}

WaitEnd Until(const std::function<bool()>& done, const std::function<void()>& step,
              const std::function<bool()>& abandon, Limit limit)
{
    return Until(done, step, abandon, WaitLimit(limit));
}

WaitEnd Until(const std::function<bool()>& done, const std::function<void()>& step,
              const std::function<bool()>& abandon, const WaitLimit& limit)
{
    for (;;) {
        if (done())
            return WaitEnd::Done;
        if (abandon() || Ending())
            return WaitEnd::Abandoned;
        if (limit.expired())
            return WaitEnd::TimeUp;
        step();
        automation::ProcessPendingEvents();
    }
}

WaitEnd TypeInto(const std::function<automation::WindowHandle()>& target,
                 const std::function<void(automation::WindowHandle)>& type,
                 const std::function<bool()>& taken, const std::function<bool()>& abandon,
                 Limit limit)
{
    bool typed = false;
    QElapsedTimer sinceTyped;
    QElapsedTimer withoutKeyboard;
    withoutKeyboard.start();
    return Until(
        taken,
        [&] {
            if (typed && !sinceTyped.hasExpired(RetypeAfterMs))
                return;
            const automation::WindowHandle window = target();
            if (!window) {
                withoutKeyboard.restart();
                return;
            }
            if (!automation::HoldsKeyboard(window)) {
                if (withoutKeyboard.hasExpired(KeyboardHandOverMs)) {
                    automation::BringToFront(window);
                    withoutKeyboard.restart();
                }
                return;
            }
            withoutKeyboard.restart();
            type(window);
            typed = true;
            sinceTyped.start();
        },
        abandon, limit);
}

automation::WindowHandle RecorderMainWindow()
{
    return automation::FindTopWindow(QString(), RecorderTitle);
}

std::function<automation::WindowHandle()> RecorderDialog(const QString& title)
{
    return [title] { return automation::FindTopWindow(automation::DialogClass, title); };
}

WaitEnd BringRecorderToFront(const std::function<bool()>& abandon, Limit limit,
                             automation::WindowHandle* found)
{
    int front = 0;
    return Until([&] { return front == 1; },
                 [&] {
                     const automation::WindowHandle recorder = RecorderMainWindow();
                     if (found)
                         *found = recorder;
                     if (recorder)
                         front = automation::BringToFront(recorder);
                 },
                 abandon, limit);
}

void TypeRecorderExit(automation::WindowHandle window)
{
    automation::SendKeystrokes(window, QStringLiteral("%F"));
    automation::SendKeystrokes(window, QStringLiteral("X"));
}

int OutsideWaitLimitMs()
{
    return g_outsideWaitLimitMs;
}

void SetOutsideWaitLimitMs(int ms)
{
    g_outsideWaitLimitMs = ms;
}

void SetClock(std::function<QDateTime()> clock)
{
    g_clock = std::move(clock);
}

QDateTime Now()
{
    return g_clock ? g_clock() : QDateTime::currentDateTime();
}

QString VoiceFileName(const QDate& date, const QTime& time)
{
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QString::asprintf("[%02d-%02d-%02d]%02d %02d %02d%s.wav", date.month(), date.day(),
                             date.year() % 100, hour12, time.minute(), time.second(),
                             time.hour() < 12 ? "AM" : "PM");
}

QString NewVoiceFilePath()
{
    const QDate date = Now().date();
    const QTime time = Now().time();
    return VoiceFolder() + QDir::separator() + VoiceFileName(date, time);
}

QString CurrentVoiceFile()
{
    return g_currentVoiceFile;
}

void SetCurrentVoiceFile(const QString& path)
{
    g_currentVoiceFile = path;
    if (auto* f3 = static_cast<Form3*>(existingForm(3)))
        f3->Label3->setText(path);
}

QPoint PlacedPosition(QWidget* window, double d)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect whole = screen->geometry();
    const bool framed = !(window->windowFlags() & Qt::FramelessWindowHint);
    if (framed && window->isVisible() && window->windowHandle()) {
        // Just shown: the window manager frames it a moment later. Its outer
        // size is what counts, so give it that moment (bounded).
        QElapsedTimer clock;
        clock.start();
        while (window->windowHandle()->frameMargins().isNull() &&
               QGuiApplication::platformName() == QLatin1String("xcb") && clock.elapsed() < 500)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            10);
        const QMargins m = window->windowHandle()->frameMargins();
        if (!m.isNull())
            g_lastFrameMargins = m;
    }
    QSize outer = window->frameGeometry().size();
    if (outer == window->size() && framed) {
        // Not framed yet: expect the frame our other windows got.
        outer += QSize(g_lastFrameMargins.left() + g_lastFrameMargins.right(),
                       g_lastFrameMargins.top() + g_lastFrameMargins.bottom());
    }
    const int left = static_cast<int>((whole.width() - outer.width()) / 2.0);
    const int top = static_cast<int>((whole.height() - outer.height()) / d);
    return whole.topLeft() + QPoint(left, top);
}

QString NoXwaylandMessage()
{
    return QStringLiteral(
        "Tindrel cannot record here: it steers the sound recorder and your e-mail program "
        "through your desktop's X11 support (Xwayland), and none is running in this Wayland "
        "session.\n\n"
        "Install Xwayland (the package \"xwayland\" on Debian and Ubuntu), then log out and "
        "in again. GNOME and KDE Plasma start it by themselves; on sway, also put the line "
        "\"xwayland enable\" in its configuration.");
}

void PlaceWindow(QWidget* window, double d)
{
    window->move(PlacedPosition(window, d));
}

Form1& form1()
{
    return form<Form1>(1);
}
Form2& form2()
{
    return form<Form2>(2);
}
Form3& form3()
{
    return form<Form3>(3);
}
Form4& form4()
{
    return form<Form4>(4);
}
Form5& form5()
{
    return form<Form5>(5);
}
Form6& form6()
{
    return form<Form6>(6);
}
Form7& form7()
{
    return form<Form7>(7);
}
Form8& form8()
{
    return form<Form8>(8);
}
Form9& form9()
{
    return form<Form9>(9);
}
Form10& form10()
{
    return form<Form10>(10);
}
Form11& form11()
{
    return form<Form11>(11);
}

bool formExists(int n)
{
    return n >= 1 && n <= 11 && g_forms[static_cast<std::size_t>(n)] != nullptr;
}

QWidget* existingForm(int n)
{
    return formExists(n) ? g_forms[static_cast<std::size_t>(n)].get() : nullptr;
}

void resetForms()
{
    for (auto& f : g_forms)
        f.reset();
    g_currentVoiceFile.clear();
}

void EndProgram()
{
    if (g_endProgram) {
        g_endProgram();
        return;
    }
    // Waits may be running, one inside another (a button pressed during a
    // wait runs its handler there): none of them takes another step, and
    // each returns at its next look, down to the event loop, which then
    // ends.
    automation::Automation::instance().Stop();
    for (auto& f : g_forms)
        if (f)
            f->hide();
    QCoreApplication::exit(0);
}

bool Ending()
{
    return automation::Automation::installed() && automation::Automation::instance().stopped();
}

void setEndProgramHandler(std::function<void()> handler)
{
    g_endProgram = std::move(handler);
}

int twips(int t)
{
    return t / 15;
}

QFont uiFont(int pixelSize, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& rect,
                  const QFont& font, const QColor& color, bool wrap)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(rect);
    l->setFont(font);
    l->setWordWrap(wrap);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QRect& rect)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(rect);
    b->setFont(uiFont(11, true));
    b->setAutoDefault(false);
    return b;
}

QLabel* makePicture(QWidget* parent, const char* name, const QString& resource, const QRect& rect)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(rect);
    l->setPixmap(
        QPixmap(resource).scaled(rect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QTimer* makeTimer(QObject* parent, const char* name, int intervalMs)
{
    auto* t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setTimerType(Qt::PreciseTimer);
    t->setInterval(intervalMs);
    t->setSingleShot(false);
    return t; // stopped until a handler starts it
}

void makeFixedWindow(QWidget* window, int clientWidth, int clientHeight)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    window->setFixedSize(clientWidth, clientHeight);
}

void makeSizedWindow(QWidget* window, int clientWidth, int clientHeight)
{
    window->resize(clientWidth, clientHeight);
    if (session::tilingCompositor())
        window->setFixedSize(clientWidth, clientHeight);
}

void makeNoticeWindow(QWidget* window, int clientWidth, int clientHeight)
{
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                            Qt::WindowDoesNotAcceptFocus;
    // sway focuses every window it manages as it appears, a notice too (the
    // keyboard then goes nowhere), and puts it where it likes: there a notice
    // is left unmanaged, which sway shows above all, where it asks, unfocused.
    if (session::tilingCompositor())
        flags |= Qt::X11BypassWindowManagerHint;
    window->setWindowFlags(flags);
    // A notice never takes the keyboard: keys meant for another program's
    // window that was just brought to the front must not land here.
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setFixedSize(clientWidth, clientHeight);
    window->setAutoFillBackground(true);
    QPalette p = window->palette();
    p.setColor(QPalette::Window, Maroon);
    p.setColor(QPalette::WindowText, Qt::white);
    window->setPalette(p);
}

} // namespace vardane
