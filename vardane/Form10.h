#pragma once

#include "WizardWindow.h"

class QLabel;
class QPushButton;

namespace vardane {

// "About Tindrel".
class Form10 : public WizardWindow
{
    Q_OBJECT
public:
    Form10();
    void Form_Load();

    QLabel* Picture1;
    QLabel* Label1;
    QPushButton* Command1;

public slots:
    void Command1_Click();
};

} // namespace vardane
