#pragma once

#include "WizardWindow.h"

class QLabel;
class QPushButton;
class QTimer;

namespace vardane {

// "Attach Your Voice File To Your E-Mail Form".
class Form6 : public WizardWindow
{
    Q_OBJECT
public:
    Form6();
    void Form_Load();

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
};

} // namespace vardane
