#include "Automation.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>

namespace automation {

namespace {

std::unique_ptr<Automation>& current()
{
    static std::unique_ptr<Automation> instance;
    return instance;
}

std::string utf8(const QString& s)
{
    return s.toStdString();
}

std::u32string u32(const QString& s)
{
    const auto ucs4 = s.toUcs4();
    return std::u32string(reinterpret_cast<const char32_t*>(ucs4.constData()),
                          static_cast<std::size_t>(ucs4.size()));
}

} // namespace

Automation::Automation(std::unique_ptr<WindowSystem> backend, std::unique_ptr<Controls> controls)
    : m_backend(std::move(backend)), m_controls(std::move(controls))
{
    const int fd = m_backend->eventSource();
    if (fd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated,
                         [this] { m_backend->drainEvents(); });
    }
}

Automation::~Automation() = default;

Automation& Automation::instance()
{
    auto& a = current();
    if (!a)
        a = createDesktopAutomation();
    return *a;
}

void Automation::install(std::unique_ptr<Automation> automation)
{
    current() = std::move(automation);
}

bool Automation::installed()
{
    return current() != nullptr;
}

QString Automation::messageTitle()
{
    return QStringLiteral("Tindrel");
}

WindowHandle Automation::FindTopWindow(const QString& windowClass, const QString& title)
{
    const auto cls = windowClass == DialogClass ? WindowClass::Dialog : WindowClass::Any;
    return m_backend->findTopWindow(cls, utf8(title));
}

WindowHandle Automation::FindWindowLike(const WindowQuery& query)
{
    const auto found = m_backend->findWindow(query);
    if (!found && !m_toldUnsupported) {
        m_toldUnsupported = true;
        qWarning("FindWindowLike: this window system cannot find windows by class name or role");
    }
    return found.value_or(0);
}

int Automation::BringToFront(WindowHandle window)
{
    return window && !m_stopped && m_backend->bringToFront(window).isDone() ? 1 : 0;
}

int Automation::IsWindowShown(WindowHandle window)
{
    return window && m_backend->isWindowShown(window) ? 1 : 0;
}

int Automation::IsMinimized(WindowHandle window)
{
    return window && m_backend->isMinimized(window) ? 1 : 0;
}

bool Automation::HoldsKeyboard(WindowHandle window)
{
    return window && m_backend->holdsKeyboard(window);
}

void Automation::RestoreWindow(WindowHandle window)
{
    if (window && !m_stopped)
        m_backend->restoreWindow(window);
}

ControlledWindow Automation::FindControlledWindow(const AccessibleQuery& query)
{
    return m_controls ? m_controls->findWindow(query) : 0;
}

ControlledWindow Automation::FindControlledDialog(ControlledWindow owner,
                                                  const AccessibleQuery& query)
{
    return owner && m_controls ? m_controls->findDialog(owner, query) : 0;
}

std::vector<ControlledWindow> Automation::FindControlledWindows(const AccessibleQuery& query)
{
    return m_controls ? m_controls->findWindows(query) : std::vector<ControlledWindow>{};
}

ControlledWindow Automation::ControlsOf(WindowHandle window, const std::string& role)
{
    if (!window || !m_controls)
        return 0;
    const auto origin = m_backend->originOf(window);
    return origin ? m_controls->windowOf(*origin, role) : 0;
}

bool Automation::IsControlledWindowOpen(ControlledWindow window)
{
    return window && m_controls && m_controls->isOpen(window);
}

bool Automation::RaiseControlledWindow(ControlledWindow window)
{
    return window && m_controls && !m_stopped && m_controls->raise(window);
}

Result Automation::WorkControl(ControlledWindow window, const ControlQuery& control)
{
    if (!window || !m_controls)
        return Result::failed("no window");
    if (m_stopped)
        return Result::failed("ending");
    return m_controls->workControl(window, control);
}

Result Automation::EnterFileName(ControlledWindow chooser, const QString& path)
{
    if (!chooser || !m_controls)
        return Result::failed("no window");
    if (m_stopped)
        return Result::failed("ending");
    return m_controls->enterFileName(chooser, utf8(path));
}

Result Automation::AcceptFileChooser(ControlledWindow chooser, const ControlQuery& button)
{
    if (!chooser || !m_controls)
        return Result::failed("no window");
    if (m_stopped)
        return Result::failed("ending");
    return m_controls->acceptFileChooser(chooser, button);
}

Result Automation::ChooseTypedFile(ControlledWindow chooser)
{
    if (!chooser || !m_controls)
        return Result::failed("no window");
    if (m_stopped)
        return Result::failed("ending");
    return m_controls->chooseTypedFile(chooser);
}

Result Automation::WorkControls(ControlledWindow window, const std::vector<ControlQuery>& controls,
                                const std::function<bool()>& abandon,
                                const std::function<bool()>& expired)
{
    QElapsedTimer sinceWorked;
    sinceWorked.start();
    for (std::size_t next = 0; next < controls.size();) {
        if (abandon() || m_stopped)
            return Result::failed("abandoned");
        if (expired())
            return Result::notYet(controls[next].name);
        if (WorkControl(window, controls[next]).isDone()) {
            ++next;
            sinceWorked.restart();
        } else if (next > 0 && sinceWorked.hasExpired(MenuReopenMs)) {
            next = 0;
        }
        ProcessPendingEvents();
    }
    return Result::done();
}

ProgramReach Automation::ReachOfProgram(const std::vector<std::string>& processNames,
                                        const std::string& application)
{
    return m_controls ? m_controls->programReach(processNames, application)
                      : ProgramReach::NotApplicable;
}

void Automation::MakeTopmost(QWidget* ownWindow)
{
    if (!ownWindow)
        return;
    if (QWindow* handle = ownWindow->windowHandle()) {
        // Already native: change the flag on the native window only, so the
        // widget is neither hidden nor recreated.
        handle->setFlags(handle->flags() | Qt::WindowStaysOnTopHint);
        if (handle->isVisible())
            handle->raise();
    } else {
        ownWindow->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
}

bool Automation::ownWindowHasKeyboard()
{
    std::vector<WindowHandle> own;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->internalWinId())
            own.push_back(static_cast<WindowHandle>(w->internalWinId()));
    return !own.empty() && m_backend->keyboardIn(own);
}

// Keys sent now would reach one of our own windows (one shown by a timer, or
// clicked by the user, since the other program was brought to the front):
// give the keyboard back to the window the keys are meant for, or refuse.
bool Automation::keyboardFreeForOthers(WindowHandle target)
{
    if (m_keysToOwnWindows || !ownWindowHasKeyboard())
        return true;
    return target && m_backend->bringToFront(target).isDone() && !ownWindowHasKeyboard();
}

bool Automation::SendKeystrokes(WindowHandle target, const QString& keys, KeyMode mode)
{
    if (m_stopped)
        return false;
    const auto text = u32(keys);
    std::vector<KeyStroke> strokes;
    if (mode == KeyMode::Literal) {
        strokes = literalKeys(text);
    } else {
        auto parsed = parseKeyNotation(text);
        if (!parsed.ok) {
            const QString shown = keys.size() > 80 ? keys.left(80) + QStringLiteral("...") : keys;
            qWarning("SendKeystrokes: %s in \"%s\"; nothing sent",
                     parsed.error.substr(0, 120).c_str(), qUtf8Printable(shown));
            return false;
        }
        strokes = std::move(parsed.keys);
    }
    if (!keyboardFreeForOthers(target)) {
        qWarning("SendKeystrokes: the keyboard is on one of this program's windows; nothing sent");
        return false;
    }
    return m_backend->sendKeys(strokes);
}

bool Automation::ActivateByTitle(const QString& title)
{
    return !m_stopped && m_backend->activateByTitle(utf8(title));
}

qint64 Automation::StartProgram(const QString& fileName)
{
    if (m_stopped)
        return 0;
    QString program;
    const QFileInfo beside(QDir(QCoreApplication::applicationDirPath()), fileName);
    if (beside.isFile() && beside.isExecutable())
        program = beside.absoluteFilePath();
    else
        program = QStandardPaths::findExecutable(fileName);
    if (program.isEmpty())
        return 0;
    qint64 pid = 0;
    if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath(), &pid))
        return 0;
    return pid;
}

bool Automation::OpenDocument(QWidget*, const QString& file, const QString&)
{
    return !m_stopped && QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void Automation::ShowMessage(const QString& text)
{
    if (m_stopped)
        return;
    QMessageBox box(QMessageBox::NoIcon, messageTitle(), text, QMessageBox::Ok);
    box.exec();
}

void Automation::waitForEvents(int maxMs)
{
    auto* dispatcher = QThread::currentThread()->eventDispatcher();
    if (!dispatcher)
        return;
    if (maxMs <= 0) {
        dispatcher->processEvents(QEventLoop::AllEvents);
        return;
    }
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(maxMs);
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void Automation::ProcessPendingEvents()
{
    beforePass();
    auto* dispatcher = QThread::currentThread()->eventDispatcher();
    if (!dispatcher)
        return;
    // Events already waiting run now; with none, sleep until the next event or
    // a short wake-up, so that polling loops cost no CPU while nothing happens.
    if (!dispatcher->processEvents(QEventLoop::AllEvents))
        waitForEvents(10);
}

void Automation::PauseWithEvents(double seconds)
{
    QElapsedTimer clock;
    clock.start();
    m_pausesAsked += seconds;
    const qint64 limitNs = static_cast<qint64>(seconds * 1e9);
    while (clock.nsecsElapsed() <= limitNs && !m_stopped) {
        beforePass();
        const qint64 leftMs = (limitNs - clock.nsecsElapsed()) / 1000000 + 1;
        waitForEvents(static_cast<int>(std::min<qint64>(leftMs, 10)));
    }
}

} // namespace automation
