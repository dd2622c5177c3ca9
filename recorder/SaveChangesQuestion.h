#pragma once

#include "ClassicDialog.h"

namespace recorder {

// "Do you want to save changes to NAME?", asked before an unsaved sound goes: Yes (save first), No
// (leave without saving), Cancel (stay). Yes has the focus and the tab order
// is Yes, No, Cancel, so Tab then Enter answers No.
class SaveChangesQuestion : public classic::ClassicMessageBox
{
    Q_OBJECT
public:
    SaveChangesQuestion(QWidget* owner, const QString& soundName);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace recorder
