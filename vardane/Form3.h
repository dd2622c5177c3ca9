#pragma once

#include "WizardWindow.h"

class QLabel;
class QPushButton;
class QTimer;

namespace vardane {

// "Save Message Or Start Over".
class Form3 : public WizardWindow
{
    Q_OBJECT
public:
    Form3();
    void Form_Load();
    // Save: the recorder saves under a new name in the voice folder and closes.
    void SaveMessage();
    // Start Over: the recorder closes without saving; back to the main window.
    void DiscardMessage();
    // After a save: the recorder gone, or the user told that it is still open.
    void LeaveRecorder();

    QLabel* Picture1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3; // invisible: holds the voice file's path
    QPushButton* Command2;
    QPushButton* Command1;
    QTimer* Timer1;

public slots:
    void Command2_Click();
    void Command1_Click();
    void Timer1_Timer();
};

} // namespace vardane
