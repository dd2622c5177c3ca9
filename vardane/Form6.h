#pragma once

#include "WizardWindow.h"
#include "automation/Controls.h"
#include "targets/MailPrograms.h"

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;

namespace vardane {

using targets::ComposeKind;
enum class WaitEnd;

// "Attach Your Voice File To Your E-Mail Form".
class Form6 : public WizardWindow
{
    Q_OBJECT
public:
    Form6();
    void Form_Load();

    // Attach Voice: finds a compose window and drives its attach dialog.
    void AttachVoiceFile();

    QLabel* Picture1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Command2;
    QPushButton* Command1;
    QTimer* Timer1; // the attached notice's display time
    QTimer* Timer2; // no compose window found

public slots:
    void Command2_Click();
    void Command1_Click();
    void Timer1_Timer();
    void Timer2_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void RunSequence(ComposeKind kind, automation::WindowHandle compose, const QString& path);
    // The steps of the keys' road, each true to go on. The compose window in
    // front and its attach command typed (`compose` is the window last found).
    bool OpenAttachCommand(const targets::MailProgram& program, automation::WindowHandle& compose);
    // The file button of the attachments dialog, where the program has one.
    bool ChooseFromAttachments();
    // The path typed into the file dialog, then the notices once it has closed.
    void TypeIntoFileDialog(const targets::MailProgram& program, automation::WindowHandle compose,
                            const QString& path);
    void AttachByControls(const targets::MailProgram& program, automation::ControlledWindow compose,
                          const QString& path);
    void FillFileChooser(automation::ControlledWindow dialog,
                         const std::function<bool()>& stillOpen, const QString& path,
                         bool chosenByEnter = false);
    void TimeUp(const QString& what);
    // How one wait of a press ended: true to go on; time up is said, with
    // what did not happen; abandoned ends the press without a word.
    bool GoesOn(WaitEnd end, const QString& timeUpWhat);
    // The notices that the file went in.
    void ShowAttached();

    bool m_adviceGiven = false;
};

} // namespace vardane
