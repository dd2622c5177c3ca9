#pragma once

// The recorder's dialogs. Each is modal and belongs to the window that opened
// it (so the window system sees it as a dialog of that window).

#include "StandinDialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace recorder {

// "Properties for Sound": the sound's details; "Convert Now..." (Alt+C) asks
// for the selection dialog. OK is the default button and has the focus.
class PropertiesDialog : public standin::StandinDialog
{
    Q_OBJECT
public:
    PropertiesDialog(QWidget* owner, const QString& formatText, const QString& lengthText);

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

// "Sound Selection": the tab stops in order are Name (which has the focus when
// the dialog opens), Save As..., Format, Attributes, OK, Cancel. Typing a
// letter in a list chooses its first entry beginning with that letter.
class SoundSelectionDialog : public standin::StandinDialog
{
    Q_OBJECT
public:
    SoundSelectionDialog(QWidget* owner, qsizetype formatIndex);

    qsizetype chosenFormat() const;

    QComboBox* formatList() const { return m_format; }

private:
    void formatChanged(int index);

    QComboBox* m_name = nullptr;
    QComboBox* m_format = nullptr;
    QComboBox* m_attributes = nullptr;
};

// "Save As": the file name box has the focus; the tab stops in order are File
// name, Save as type, Save (the default button), Cancel. Save does not close the
// dialog by itself: it reports the typed name, and the recorder closes the
// dialog once the file is written.
class SaveAsDialog : public standin::StandinDialog
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

// The question on leaving with an unsaved recording: Yes (save first), No
// (leave without saving), Cancel (stay). Yes has the focus and the tab order
// is Yes, No, Cancel, so Tab then Enter answers No.
class SaveChangesQuestion : public standin::StandinMessageBox
{
    Q_OBJECT
public:
    explicit SaveChangesQuestion(QWidget* owner);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace recorder
