#include "Form6.h"

#include "Flow.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace vardane {

using namespace automation;

Form6::Form6() : WizardWindow("Form6")
{
    setWindowTitle(QStringLiteral("Attach Your Voice File To Your E-Mail Form"));
    makeFixedWindow(this, twips(4425), twips(1395));
    Picture1 = makePicture(this, "Picture1", QStringLiteral(":/pictures/envelope.png"),
                           QRect(4, 4, 42, 36));
    Label1 = makeLabel(this, "Label1",
                       QStringLiteral("To Attach Your Voice File, Click On The \"Attach Voice\" "
                                      "Button. This Voice Message Will Attach To Your E-Mail "
                                      "Automatically."),
                       QRect(50, 3, 241, 40), uiFont(10, true), Navy);
    Label2 =
        makeLabel(this, "Label2", QStringLiteral("Be Sure You Have An E-Mail Form Already Opened"),
                  QRect(4, 47, 287, 14), uiFont(11, true), Qt::red, false);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Command2 = makeButton(this, "Command2", QStringLiteral("Attach Voice"), QRect(40, 65, 100, 24));
    Command1 = makeButton(this, "Command1", QStringLiteral("Start Over"), QRect(155, 65, 100, 24));
    Timer1 = makeTimer(this, "Timer1", 2300);
    Timer2 = makeTimer(this, "Timer2", 2000);
    connect(Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
    connect(Timer1, &QTimer::timeout, this, &Form6::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form6::Timer2_Timer);
}

void Form6::Form_Load()
{
    MakeTopmost(this);
    PlaceWindow(this, 1.4);
}

namespace {

using targets::MailProgram;

QStringList keyGroups(const std::vector<std::string>& groups)
{
    QStringList out;
    for (const std::string& g : groups)
        out << QString::fromStdString(g);
    return out;
}

// A window's title in quotes for what the user is told, else what it is.
QString windowName(const std::string& title, const char* otherwise)
{
    return title.empty() ? QString::fromLatin1(otherwise)
                         : QStringLiteral("\"%1\"").arg(QString::fromStdString(title));
}

WindowHandle findCompose(const MailProgram& k)
{
    return k.composeTitle.empty()
               ? FindWindowLike(k.compose)
               : FindTopWindow(QString(), QString::fromStdString(k.composeTitle));
}

WindowHandle findFileDialog(const MailProgram& k, WindowHandle compose)
{
    if (!k.fileDialogTitle.empty())
        return FindTopWindow(k.fileDialogIsDialog ? DialogClass : QString(),
                             QString::fromStdString(k.fileDialogTitle));
    WindowQuery dialog = k.fileDialog;
    dialog.owner = compose;
    return FindWindowLike(dialog);
}

// Any step's window made visible by another handler ends a press's waits.
bool abandoned(bool withMainWindow)
{
    return flow::AttachAbandoned(withMainWindow);
}

// False as soon as a send is refused (the keyboard was on one of our own
// windows and could not be given back): the caller's pass is then not done.
bool sendAll(WindowHandle window, const QStringList& keys)
{
    for (const QString& k : keys)
        if (!SendKeystrokes(window, k))
            return false;
    return true;
}

// Each key group before the path gets half a second to take effect (a file
// chooser's location field opens in its own time).
bool typePath(WindowHandle dialog, const QString& path, const QStringList& keysBefore,
              const QStringList& keysAfter)
{
    for (const QString& k : keysBefore) {
        if (!SendKeystrokes(dialog, k))
            return false;
        PauseWithEvents(0.5);
    }
    return SendKeystrokes(dialog, path, KeyMode::Literal) && sendAll(dialog, keysAfter);
}

// A program that runs but whose windows cannot be reached until the user
// does something about it (started before the desktop's accessibility was
// on, or a desktop without it): what to do, in plain words; empty otherwise.
QString unreachedProgramsAdvice()
{
    for (const MailProgram& p : targets::mailPrograms()) {
        if (p.processNames.empty())
            continue;
        switch (ReachOfProgram(p.processNames, p.accessibleCompose.application)) {
        case ProgramReach::NoAccessibility:
            return QString::fromUtf8(targets::NoAccessibilityAdvice);
        case ProgramReach::Unreached:
            if (!p.unreachedAdvice.empty())
                return QString::fromStdString(p.unreachedAdvice);
            break;
        default:
            break;
        }
    }
    return {};
}

} // namespace

void Form6::closeEvent(QCloseEvent* event)
{
    // Closed while the saved notice is still up: the notice would bring this window back.
    flow::EndSavedNotice();
    WizardWindow::closeEvent(event);
}

void Form6::Command2_Click()
{
    AttachVoiceFile();
}

void Form6::AttachVoiceFile()
{
    const QString path = CurrentVoiceFile();
    // The notice of the last save, if still up, ends when the wizard moves
    // on: its tick would otherwise bring this window back in front of
    // whatever the user or a running press is doing.
    flow::EndSavedNotice();
    if (flow::OtherStepUp()) {
        RunSequence(ComposeKind::Netscape, 0, path);
        return;
    }
    // Each program's compose window as the window system shows it, else
    // (the native windows of a Wayland desktop) through its controls.
    const auto& programs = targets::mailPrograms();
    std::vector<std::pair<WindowHandle, ControlledWindow>> found;
    for (const MailProgram& program : programs) {
        const WindowHandle window = findCompose(program);
        found.emplace_back(window, window || program.accessibleCompose.empty()
                                       ? 0
                                       : FindControlledWindow(program.accessibleCompose));
    }
    Timer2->start();
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const auto [window, controlled] = found[i];
        if (window || controlled) {
            Timer2->stop();
            hide();
            if (window)
                RunSequence(programs[i].kind, window, path);
            else
                AttachByControls(programs[i], controlled, path);
            return;
        }
    }
    // An e-mail program runs whose windows cannot be reached until the user
    // does something about it: said once, in its place.
    if (!m_adviceGiven) {
        const QString advice = unreachedProgramsAdvice();
        if (!advice.isEmpty()) {
            m_adviceGiven = true;
            Timer2->stop();
            ShowMessage(advice);
            return;
        }
    }
    // None open: Timer2 shows the notice asking for one.
}

void Form6::RunSequence(ComposeKind kind, WindowHandle compose, const QString& path)
{
    const MailProgram& k = targets::mailProgram(kind);
    Timer2->stop();
    if (IsMinimized(compose))
        RestoreWindow(compose);
    // A wait ended by one of the abandon windows ends the whole press, without notices.
    if (OpenAttachCommand(k, compose) && (!k.attachmentsDialog || ChooseFromAttachments()))
        TypeIntoFileDialog(k, compose, path);
}

bool Form6::OpenAttachCommand(const MailProgram& k, WindowHandle& compose)
{
    int front = 0;
    return GoesOn(Until([&] { return front == 1; },
                        [&] {
                            compose = findCompose(k);
                            front = BringToFront(compose);
                            if (front == 1) {
                                PauseWithEvents(0.5);
                                // In front is not yet the keyboard (a busy machine hands
                                // it over late): keys sent before would be lost.
                                if (!HoldsKeyboard(compose) ||
                                    !sendAll(compose, keyGroups(k.attachKeys)))
                                    front = 0;
                            }
                        },
                        [] { return abandoned(false); }),
                  QStringLiteral("its window %1 could not be brought to the front.")
                      .arg(windowName(k.composeTitle, "for the new message")));
}

bool Form6::ChooseFromAttachments()
{
    const QString title = QStringLiteral("Attachments");
    WindowHandle dialog = 0;
    return GoesOn(Until([&] { return dialog != 0; },
                        [&] {
                            dialog = FindTopWindow(DialogClass, title);
                            if (dialog) {
                                BringToFront(dialog);
                                PauseWithEvents(0.5);
                                if (!HoldsKeyboard(dialog) ||
                                    !SendKeystrokes(dialog, QStringLiteral("F")))
                                    dialog = 0;
                            }
                        },
                        [] { return abandoned(true); }),
                  QStringLiteral("its window \"%1\" did not appear.").arg(title));
}

void Form6::TypeIntoFileDialog(const MailProgram& k, WindowHandle compose, const QString& path)
{
    const QStringList keysBefore = keyGroups(k.keysBeforePath);
    const QStringList keysAfter = keyGroups(k.keysAfterPath);
    const auto abandonedHere = [] { return abandoned(false); };

    // The file dialog: the path typed into it. A file chooser of a kind found
    // by class whose controls its program offers takes the path without keys,
    // so without pauses.
    WindowHandle dialog = 0;
    ControlledWindow chooser = 0;
    const WaitLimit limit;
    if (!GoesOn(Until([&] { return dialog != 0 || chooser != 0; },
                      [&] {
                          dialog = findFileDialog(k, compose);
                          if (!dialog || !k.fileDialogIsDialog)
                              return;
                          if (k.composeTitle.empty())
                              chooser = ControlsOf(dialog, targets::FileChooserRole);
                          if (chooser)
                              return;
                          BringToFront(dialog);
                          PauseWithEvents(0.5);
                          // A path typed before the dialog holds the keyboard would
                          // go into the message itself.
                          if (!HoldsKeyboard(dialog) ||
                              !typePath(dialog, path, keysBefore, keysAfter))
                              dialog = 0;
                      },
                      abandonedHere),
                QStringLiteral("its window %1 did not appear.")
                    .arg(windowName(k.fileDialogTitle, "to choose a file"))))
        return;
    if (chooser)
        return FillFileChooser(
            chooser, [&] { return findFileDialog(k, compose) != 0; }, path);
    if (!k.fileDialogIsDialog) {
        PauseWithEvents(0.5);
        // Typed without bringing the dialog forward first; only when the
        // keyboard could not be had is it brought forward and tried again.
        bool typed = typePath(dialog, path, keysBefore, keysAfter);
        if (!typed && !GoesOn(Until([&] { return typed; },
                                    [&] {
                                        BringToFront(dialog);
                                        PauseWithEvents(0.5);
                                        typed = typePath(dialog, path, keysBefore, keysAfter);
                                    },
                                    abandonedHere, limit),
                              QStringLiteral("its window \"%1\" could not be brought to the front.")
                                  .arg(QString::fromStdString(k.fileDialogTitle))))
            return;
    }

    // Done once the file dialog has closed; the user may still be working in
    // it, so this wait has no limit.
    Until([&] { return dialog == 0; },
          [&] {
              dialog = findFileDialog(k, compose);
              if (dialog == 0) {
                  if (k.pauseBeforeNotices)
                      PauseWithEvents(0.5);
                  ShowAttached();
              }
          },
          abandonedHere, Limit::None);
}

void Form6::ShowAttached()
{
    flow::ShowAttachedNotices();
    Timer1->start();
    hide();
}

bool Form6::GoesOn(WaitEnd end, const QString& timeUpWhat)
{
    if (end == WaitEnd::TimeUp)
        TimeUp(timeUpWhat);
    return end == WaitEnd::Done;
}

void Form6::TimeUp(const QString& what)
{
    ShowMessage(QStringLiteral("The e-mail program did not respond: %1\n\nMake sure the "
                               "e-mail form is open, then press \"Attach Voice\" again.")
                    .arg(what));
    show();
}

// The compose window reached through its controls: no keys, no focus, no
// fixed pauses; each step waits on the state the previous one leads to.
void Form6::AttachByControls(const MailProgram& k, ControlledWindow compose, const QString& path)
{
    // For the user's sake only: nothing below needs it in front.
    RaiseControlledWindow(compose);
    // The program may have the desktop portal show its chooser: then it is
    // the portal's chooser that opens after the command, not one the portal
    // already shows another program.
    const std::vector<ControlledWindow> portalChoosers =
        FindControlledWindows(targets::PortalFileChooser);
    const auto newPortalChooser = [&] {
        for (ControlledWindow w : FindControlledWindows(targets::PortalFileChooser))
            if (std::find(portalChoosers.begin(), portalChoosers.end(), w) == portalChoosers.end())
                return w;
        return ControlledWindow{0};
    };
    WaitLimit limit;
    const Result opened = WorkControls(
        compose, k.attachControls, [] { return abandoned(false); },
        [&] { return limit.expired(); });
    if (opened.isFailed())
        return;
    if (!opened.isDone())
        return TimeUp(QStringLiteral("its command to attach a file (\"%1\") could not be found.")
                          .arg(QString::fromStdString(opened.reason)));

    ControlledWindow dialog = 0;
    if (!GoesOn(Until([&] { return dialog != 0; },
                      [&] {
                          dialog = FindControlledDialog(compose, k.accessibleFileDialog);
                          if (!dialog)
                              dialog = newPortalChooser();
                      },
                      [] { return abandoned(false); }),
                QStringLiteral("its window to choose a file did not appear.")))
        return;
    const std::vector<ControlledWindow> fileManagers =
        FindControlledWindows(targets::FileManagerChooser);
    FillFileChooser(
        dialog, [&] { return IsControlledWindowOpen(dialog); }, path,
        std::find(fileManagers.begin(), fileManagers.end(), dialog) != fileManagers.end());
}

void Form6::FillFileChooser(ControlledWindow dialog, const std::function<bool()>& stillOpen,
                            const QString& path, bool chosenByEnter)
{
    // The path goes into the chooser's location field as it stands, then its
    // button takes it once the chooser has read it (a file manager's once
    // Enter has chosen the file the field names).
    const WaitLimit limit;
    const auto abandonedHere = [] { return abandoned(false); };
    Result accepted = Result::notYet({});
    bool chosen = !chosenByEnter;
    // Enter may also have taken the file and closed the chooser.
    const auto accept = [&] {
        return chosenByEnter && !stillOpen()
                   ? Result::done()
                   : AcceptFileChooser(dialog, targets::FileChooserAccept);
    };
    const WaitEnd end =
        Until([&] { return accepted.kind != Result::Kind::NotYet; },
              [&] {
                  if (!EnterFileName(dialog, path).isDone())
                      return;
                  if (!chosen) {
                      const Result entered = ChooseTypedFile(dialog);
                      accepted = entered.isFailed() ? entered : accepted;
                      chosen = entered.isDone();
                  }
                  // The button, pressed as soon as it answers (greyed until the
                  // chooser has read the field), without the path entered again.
                  if (chosen)
                      Until(
                          [&] {
                              return !abandonedHere() &&
                                     (accepted = accept()).kind != Result::Kind::NotYet;
                          },
                          [] {}, abandonedHere, limit);
              },
              abandonedHere, limit);
    if (end == WaitEnd::Abandoned || (!accepted.isDone() && abandonedHere()))
        return;
    if (!accepted.isDone())
        return TimeUp(QStringLiteral("its window to choose a file did not take the file."));

    // Done once the chooser has closed.
    Until([&] { return !stillOpen(); }, [] {}, abandonedHere, Limit::None);
    if (!abandonedHere())
        ShowAttached();
}

void Form6::Command1_Click()
{
    flow::StartOverFromAttach();
}

void Form6::Timer1_Timer()
{
    flow::EndAttachedNotice();
}

void Form6::Timer2_Timer()
{
    // The notice asks for this window's button: only while it is on screen.
    if (isVisible())
        flow::ShowNoComposeNotice();
    Timer2->stop();
}

} // namespace vardane
