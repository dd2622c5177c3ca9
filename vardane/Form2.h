#pragma once

#include "WizardWindow.h"

class QLabel;
class QPushButton;
class QTimer;

namespace vardane {

// "Voice Compression Is On. Please Start Recording!": instructions shown
// beside the recorder while the user records.
class Form2 : public WizardWindow
{
    Q_OBJECT
public:
    Form2();
    void Form_Load();
    // NEXT: stops the recording and hands over to the save-or-start-over window.
    void FinishRecording();

    QLabel* Picture1;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* Command1;
    QTimer* Timer1;

public slots:
    void Command1_Click();
    void Timer1_Timer();
};

} // namespace vardane
