#pragma once

#include "ClassicDialog.h"

class QLineEdit;
class QPushButton;

namespace recorder {

// "Save As": the file name box has the focus; the tab stops in order are File
// name, Save as type, Save (the default button), Cancel. Save does not close the
// dialog by itself: it reports the typed name, and the recorder closes the
// dialog once the file is written.
class SaveAsDialog : public classic::ClassicDialog
{
    Q_OBJECT
public:
    SaveAsDialog(QWidget* owner, const QString& folder);

    QString folder() const { return m_folder; }
    QLineEdit* fileNameBox() const { return m_fileName; }
    QPushButton* saveButton() const { return m_save; }

    void accept() override; // Save pressed: emits saveRequested, stays open
    void finishSaved();     // closes the dialog as accepted

signals:
    void saveRequested(const QString& typedName);

private:
    QString m_folder;
    QLineEdit* m_fileName = nullptr;
    QPushButton* m_save = nullptr;
};

} // namespace recorder
