#pragma once

#include "WizardWindow.h"

class QLabel;
class QPushButton;

namespace vardane {

// "Start Over Or Exit?", shown after a voice file was attached.
class Form7 : public WizardWindow
{
    Q_OBJECT
public:
    Form7();
    void Form_Load();

    QLabel* Picture1;
    QLabel* Label1;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();
};

} // namespace vardane
