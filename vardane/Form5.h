#pragma once

#include "WizardWindow.h"

class QLabel;
class QTimer;

namespace vardane {

// The "Please Wait " notice shown while a "Start Over" returns to the main window.
class Form5 : public WizardWindow
{
    Q_OBJECT
public:
    Form5();
    void Form_Load();
    // Shown until the main window is back (its timer looks twice a second).
    void ShowUntilMainWindow();

    QLabel* Label1;
    QTimer* Timer1;

public slots:
    void Label1_Click();
    void Timer1_Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vardane
