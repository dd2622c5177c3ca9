#pragma once

#include "ClassicDialog.h"

class QLabel;
class QPushButton;

namespace recorder {

// "Properties for NAME" ("Properties for Sound" until the sound has a file):
// the sound's details; "Convert Now..." (Alt+C) asks
// for the selection dialog. OK is the default button and has the focus.
class PropertiesDialog : public classic::ClassicDialog
{
    Q_OBJECT
public:
    PropertiesDialog(QWidget* owner, const QString& soundName, const QString& formatText,
                     const QString& lengthText);

    void setFormatText(const QString& text);
    // After the selection dialog: the keyboard is back on OK.
    void focusDefaultButton();

    QPushButton* okButton() const { return m_ok; }
    QPushButton* convertButton() const { return m_convert; }

signals:
    void convertRequested();

private:
    QLabel* m_format = nullptr;
    QPushButton* m_convert = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace recorder
