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
