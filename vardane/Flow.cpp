#include "Flow.h"

#include "Form1.h"
#include "Form10.h"
#include "Form11.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "Form5.h"
#include "Form6.h"
#include "Form7.h"
#include "Form8.h"
#include "Form9.h"
#include "Module1.h"
#include "automation/Automation.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace vardane::flow {

namespace {

bool shown(int form)
{
    const QWidget* w = existingForm(form);
    return w && w->isVisible();
}

} // namespace

void MessageBegun()
{
    form6().Command2->setEnabled(true);
}

void ShowInstructions()
{
    form2().show();
}

bool InstructionsUp()
{
    return form2().isVisible();
}

void RecordingStopped()
{
    form2().hide();
    form3().show();
}

void BrowseVoiceFiles(const QString& folder)
{
    Form4& browser = form4();
    browser.SetDir1(folder);
    browser.show();
    form1().hide();
    browser.Label1->clear();
    PlaceWindow(&browser, 2);
}

void BrowserLeft()
{
    form4().hide();
    form1().show();
}

void VoiceFileChosen()
{
    form4().hide();
    form6().show();
}

void ShowAbout()
{
    form10().show();
}

void GiveUp(const QString& message)
{
    automation::ShowMessage(message);
    form1().ShowAgain();
    for (int n : {2, 3})
        if (QWidget* w = existingForm(n))
            w->hide();
}

void MessageDiscarded()
{
    form1().ShowAgain();
    form2().hide();
}

void ShowPleaseWait()
{
    form5().ShowUntilMainWindow();
}

bool MainWindowUp()
{
    return form1().isVisible();
}

void MessageSaved()
{
    form9().ShowNotice();
    form6().show();
}

bool SavedNoticeUp()
{
    return form9().NoticeUp();
}

void EndSavedNotice()
{
    if (auto* notice = static_cast<Form9*>(existingForm(9)))
        notice->EndNotice();
}

void SavedNoticeOver()
{
    form6().show();
    form9().hide();
}

bool AttachWindowUp()
{
    return form6().isVisible();
}

bool OtherStepUp()
{
    return shown(1) || shown(7) || shown(3) || shown(2) || shown(4) || shown(11);
}

bool AttachAbandoned(bool withMainWindow)
{
    return shown(7) || shown(3) || shown(2) || shown(4) || (withMainWindow && shown(1));
}

void ShowAttachedNotices()
{
    form7().show();
    form8().show();
}

void EndAttachedNotice()
{
    form8().hide();
    form6().Timer1->stop();
}

void ShowNoComposeNotice()
{
    form11().show();
}

void StartOverFromAttach()
{
    EndSavedNotice();
    form6().hide();
    form3().hide();
    form5().ShowUntilMainWindow();
    form1().ShowAgain();
    form6().hide();
    form3().hide();
}

void StartOverAfterAttached()
{
    form7().hide();
    form5().ShowUntilMainWindow();
    form3().hide();
    // The attach window's timer was the only thing to take the attached
    // notice down again; left up, it would stay on top of everything until
    // the program ends.
    EndAttachedNotice();
    form1().show();
}

void WindowClosed()
{
    for (int n = 1; n <= 11; ++n)
        if (shown(n))
            return;
    form1().show();
}

} // namespace vardane::flow
