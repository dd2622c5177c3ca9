#pragma once

#include "ClassicDialog.h"

class QComboBox;

namespace recorder {

// "Sound Selection": the tab stops in order are Name (which has the focus when
// the dialog opens), Save As..., Format, Attributes, OK, Cancel. Typing a
// letter in a list chooses its first entry beginning with that letter. The
// Attributes list holds those of the format chosen.
class SoundSelectionDialog : public classic::ClassicDialog
{
    Q_OBJECT
public:
    SoundSelectionDialog(QWidget* owner, qsizetype formatIndex);

    // The index in soundFormats() of the format and attributes chosen.
    qsizetype chosenFormat() const;

    QComboBox* formatList() const { return m_format; }

private:
    void formatChanged();

    qsizetype m_current = 0; // the sound's format when the dialog opened

    QComboBox* m_name = nullptr;
    QComboBox* m_format = nullptr;
    QComboBox* m_attributes = nullptr;
};

} // namespace recorder
