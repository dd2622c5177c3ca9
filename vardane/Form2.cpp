#include "Form2.h"

#include "Flow.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace vardane {

using namespace automation;

Form2::Form2() : WizardWindow("Form2")
{
    setWindowTitle(QStringLiteral("Voice Compression Is On. Please Start Recording!"));
    // The recorder, started by the wizard, keeps clear of this size and place.
    makeSizedWindow(this, targets::recorder::InstructionsWidth,
                    targets::recorder::InstructionsHeight);
    const QFont text = uiFont(11);
    Picture1 = makePicture(this, "Picture1", QStringLiteral(":/pictures/microphone.png"),
                           QRect(6, 6, 48, 56));
    Label5 = makeLabel(this, "Label5", QStringLiteral("Voice Compression Is On"),
                       QRect(62, 3, 150, 16), uiFont(12, true), Maroon, false);
    Label6 = makeLabel(this, "Label6", QStringLiteral("Please Start Recording"),
                       QRect(218, 3, 156, 16), uiFont(12, true), Navy, false);
    Label1 = makeLabel(this, "Label1",
                       QStringLiteral("1. To Record A Message:  Click On The Red Record Button In "
                                      "\"Sound Recorder\" And Speak Into Your Microphone. "),
                       QRect(62, 22, 312, 28), text);
    Label2 = makeLabel(this, "Label2",
                       QStringLiteral("2. To Stop Recording:  Click On The Black Stop Button."),
                       QRect(62, 52, 312, 14), text, Qt::black, false);
    Label3 =
        makeLabel(this, "Label3",
                  QStringLiteral("3. To Listen To Your Message:  Click On The Black Play Button."),
                  QRect(62, 68, 312, 14), text, Qt::black, false);
    Label4 =
        makeLabel(this, "Label4",
                  QStringLiteral("4. When You Are Done Recording:  Click \"Next\" On This Form."),
                  QRect(62, 84, 312, 14), text, Qt::black, false);
    Command1 = makeButton(this, "Command1", QStringLiteral("NEXT"), QRect(294, 100, 78, 22));
    Timer1 = makeTimer(this, "Timer1", 1000);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
}

void Form2::Form_Load()
{
    MakeTopmost(this);
    PlaceWindow(this, targets::recorder::InstructionsDivisor);
}

void Form2::Command1_Click()
{
    FinishRecording();
}

void Form2::FinishRecording()
{
    // Stop the recorder with Break, trying for at most one second (Timer1).
    Timer1->start();
    WindowHandle recorder = 0;
    int front = 0;
    Until([&] { return front == 1; },
          [&] {
              recorder = RecorderMainWindow();
              if (recorder) {
                  front = BringToFront(recorder);
                  if (front == 1) {
                      PauseWithEvents(0.5);
                      // In front is not yet the keyboard on a busy machine.
                      if (HoldsKeyboard(recorder))
                          SendKeystrokes(recorder, QStringLiteral("{BREAK}"));
                      else
                          front = 0;
                  }
              }
          },
          [this] { return !Timer1->isActive(); }, Limit::None);
    flow::RecordingStopped();
}

void Form2::Timer1_Timer()
{
    Timer1->stop();
}

} // namespace vardane
