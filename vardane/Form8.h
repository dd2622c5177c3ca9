#pragma once

#include "WizardWindow.h"

class QLabel;

namespace vardane {

// Notice: the voice file has been attached.
class Form8 : public WizardWindow
{
    Q_OBJECT
public:
    Form8();
    void Form_Load();

    QLabel* Label1;
};

} // namespace vardane
