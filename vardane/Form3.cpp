#include "Form3.h"

#include "Flow.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace vardane {

using namespace automation;

Form3::Form3() : WizardWindow("Form3")
{
    setWindowTitle(QStringLiteral("Save Message Or Start Over"));
    makeFixedWindow(this, twips(4320), twips(1410));
    const QFont text = uiFont(11, true);
    Picture1 =
        makePicture(this, "Picture1", QStringLiteral(":/pictures/disk.png"), QRect(6, 4, 66, 34));
    Label1 = makeLabel(this, "Label1",
                       QStringLiteral("To Save This Voice Message File, Click: \"Save\". You Will "
                                      "Then Proceed To The E-Mail Form. "),
                       QRect(78, 3, 206, 42), text, Navy);
    Label2 = makeLabel(this, "Label2",
                       QStringLiteral("To Delete This Voice Message And Start Recording A New One, "
                                      "Click: \"Start Over\"."),
                       QRect(78, 48, 206, 42), text, Maroon);
    Label3 = makeLabel(this, "Label3", CurrentVoiceFile(), QRect(0, 0, 1, 1), text);
    Label3->setVisible(false);
    Command2 = makeButton(this, "Command2", QStringLiteral("Save"), QRect(4, 42, 70, 22));
    Command1 = makeButton(this, "Command1", QStringLiteral("Start Over"), QRect(4, 68, 70, 22));
    Timer1 = makeTimer(this, "Timer1", 2000);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Timer1, &QTimer::timeout, this, &Form3::Timer1_Timer);
}

void Form3::Form_Load()
{
    PlaceWindow(this, 1.4);
}

void Form3::Command2_Click()
{
    SaveMessage();
}

void Form3::Command1_Click()
{
    DiscardMessage();
}

namespace {

// Whether the recorder has written the file, giving it a few seconds.
bool savedFileArrives(const QString& path)
{
    const auto written = [&] {
        const QFileInfo file(path);
        return file.isFile() && file.size() > 0;
    };
    const WaitEnd end = Until(
        written, [] {}, [] { return false; }, WaitLimit(SavedFileWaitMs));
    return end == WaitEnd::Done;
}

} // namespace

void Form3::SaveMessage()
{
    hide();
    // The saved notice is up once a save has ended.
    const auto saved = flow::SavedNoticeUp;
    // The notice of an earlier save, still up, ends here: its running timer
    // would otherwise end this save before it has begun, and the old file
    // would be offered for attaching as if it were the new one.
    if (saved())
        flow::EndSavedNotice();
    const auto giveUp = [](const QString& title) {
        flow::GiveUp(QStringLiteral("The sound recorder did not respond: its window \"%1\" "
                                    "did not appear in time.\n\nYour message was not saved.")
                         .arg(title));
    };
    WindowHandle saveDialog = 0;
    const auto findSaveDialog = [&] { return saveDialog = RecorderDialog(SaveAsTitle)(); };

    const WaitEnd front = BringRecorderToFront(saved);
    if (front == WaitEnd::TimeUp)
        return giveUp(RecorderTitle);
    if (front == WaitEnd::Done &&
        TypeInto(
            RecorderMainWindow,
            [](WindowHandle recorder) {
                SendKeystrokes(recorder, QStringLiteral("%F"));
                SendKeystrokes(recorder, QStringLiteral("A"));
            },
            [&] { return findSaveDialog() != 0; }, saved) == WaitEnd::TimeUp)
        return giveUp(SaveAsTitle);

    const QString path = NewVoiceFilePath();

    if (Until([&] { return saveDialog != 0; }, findSaveDialog, saved) == WaitEnd::TimeUp)
        return giveUp(SaveAsTitle);
    // The path goes in once only, as soon as the dialog holds the keyboard:
    // typed twice it would be two paths in one.
    bool typed = false;
    TypeInto(
        findSaveDialog,
        [&](WindowHandle dialog) {
            PauseWithEvents(0.5);
            SendKeystrokes(dialog, path, KeyMode::Literal);
            SendKeystrokes(dialog, QStringLiteral("{TAB}"));
            SendKeystrokes(dialog, QStringLiteral("{TAB}"));
            SendKeystrokes(dialog, QStringLiteral("~"));
            TypeRecorderExit(dialog);
            typed = true;
        },
        [&] { return typed || saveDialog == 0; }, saved, Limit::None);

    PlaceWindow(this, 1.4);

    // The save is over when the dialog has gone; the user may still be
    // answering the recorder there, so this wait has no limit. Success is
    // only reported once the file really is there.
    bool failed = false;
    const bool ended =
        Until([&] { return saveDialog == 0 || failed; },
              [&] {
                  if (findSaveDialog() != 0)
                      return;
                  if (savedFileArrives(path)) {
                      SetCurrentVoiceFile(path);
                      flow::MessageSaved();
                  } else {
                      failed = true;
                      flow::GiveUp(
                          QStringLiteral("Your message was not saved: the file\n%1\n"
                                         "was not written.\n\nCheck that the folder exists "
                                         "and can be written to, then record your message "
                                         "again.")
                              .arg(path));
                  }
              },
              saved, Limit::None) == WaitEnd::Done;
    if (ended && !failed)
        LeaveRecorder();
}

void Form3::LeaveRecorder()
{
    // The recorder leaves on the "%F" "X" typed after the path. When its
    // window is still there a while later and holds the keyboard, they were
    // lost: typed again (the file is saved, so it asks nothing). Once the user
    // has gone on from the attach window, this is left to the road ahead.
    const auto goneOn = [] { return !flow::AttachWindowUp(); };
    QElapsedTimer sinceSaved;
    sinceSaved.start();
    if (Until([&] { return RecorderMainWindow() == 0 || sinceSaved.hasExpired(RetypeAfterMs); },
              [] {}, goneOn) != WaitEnd::Done ||
        RecorderMainWindow() == 0)
        return;
    if (TypeInto(
            RecorderMainWindow, TypeRecorderExit, [] { return RecorderMainWindow() == 0; },
            goneOn) == WaitEnd::TimeUp)
        ShowMessage(QStringLiteral("The sound recorder did not close: it is still open.\n\nYour "
                                   "message was saved. Close the sound recorder yourself."));
}

void Form3::DiscardMessage()
{
    Timer1->start(); // the time limit of the whole discard
    hide();
    flow::ShowPleaseWait();

    const auto timeUp = [this] { return !Timer1->isActive(); };
    const WaitEnd front = BringRecorderToFront(timeUp, Limit::None);
    if (Timer1->isActive() && front == WaitEnd::Done) {
        // Exit, then "do not save" in the recorder's question. The recorder
        // must be gone at the end, or the user is told that it is not.
        const auto question = RecorderDialog(QuestionTitle);
        const auto never = [] { return false; };
        const bool closed = TypeInto(
                                RecorderMainWindow, TypeRecorderExit,
                                [&] { return RecorderMainWindow() == 0 || question() != 0; },
                                never) == WaitEnd::Done &&
                            TypeInto(
                                question,
                                [](WindowHandle dialog) {
                                    SendKeystrokes(dialog, QStringLiteral("{TAB}"));
                                    SendKeystrokes(dialog, QStringLiteral("~"));
                                },
                                [] { return RecorderMainWindow() == 0; }, never) == WaitEnd::Done;
        if (!closed)
            ShowMessage(QStringLiteral("The sound recorder did not close: it is still open, with "
                                       "the message you discarded.\n\nClose the sound recorder "
                                       "without saving, then record your message again."));
    }

    flow::MessageDiscarded();
    hide();
    PlaceWindow(this, 1.4);
}

void Form3::Timer1_Timer()
{
    Timer1->stop();
}

} // namespace vardane
