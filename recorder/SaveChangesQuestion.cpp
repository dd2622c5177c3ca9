#include "SaveChangesQuestion.h"

#include <QAbstractButton>
#include <QShowEvent>

namespace recorder {

using classic::ClassicMessageBox;

SaveChangesQuestion::SaveChangesQuestion(QWidget* owner, const QString& soundName)
    : ClassicMessageBox(QMessageBox::Question, QStringLiteral("Sound Recorder"),
                        QStringLiteral("Do you want to save changes to %1?").arg(soundName),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner)
{
    setObjectName(QStringLiteral("SaveChangesQuestion"));
    setModal(true);
    setDefaultButton(QMessageBox::Yes);
    setEscapeButton(QMessageBox::Cancel);
}

void SaveChangesQuestion::showEvent(QShowEvent* event)
{
    ClassicMessageBox::showEvent(event);
    // The button box orders its buttons by the desktop's conventions; the
    // keys this question answers to are fixed: Yes, then No, then Cancel.
    QAbstractButton* yes = button(QMessageBox::Yes);
    QAbstractButton* no = button(QMessageBox::No);
    QAbstractButton* cancel = button(QMessageBox::Cancel);
    setTabOrder(yes, no);
    setTabOrder(no, cancel);
    yes->setFocus(Qt::OtherFocusReason);
}

} // namespace recorder
