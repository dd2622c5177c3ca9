#pragma once

#include "WizardWindow.h"

class QLabel;
class QPushButton;

namespace vardane {

// Notice: no e-mail form is open.
class Form11 : public WizardWindow
{
    Q_OBJECT
public:
    Form11();
    void Form_Load();

    QLabel* Label1;
    QPushButton* Command1;

public slots:
    void Command1_Click();
};

} // namespace vardane
