#pragma once

#include "WizardWindow.h"

class QLabel;
class QTimer;

namespace vardane {

// Notice: the voice file has been saved.
class Form9 : public WizardWindow
{
    Q_OBJECT
public:
    Form9();
    void Form_Load();
    // Puts the notice up for its time; the attach window follows it.
    void ShowNotice();
    // Whether the notice is up for its time.
    bool NoticeUp() const;
    // Takes the notice down before its time, with its timer.
    void EndNotice();

    QLabel* Label1;
    QTimer* Timer1;

public slots:
    void Timer1_Timer();
};

} // namespace vardane
