#pragma once

// Dialogs that take keys the classic desktop way: when one ends, the keyboard
// goes to its owner before its window goes (see handKeyboardToOwner).

#include <QDialog>
#include <QMessageBox>

#include <initializer_list>

class QHBoxLayout;
class QPushButton;

namespace classic {

class ClassicDialog : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;
    void done(int result) override;
};

class ClassicMessageBox : public QMessageBox
{
    Q_OBJECT
public:
    using QMessageBox::QMessageBox;
    void done(int result) override;
};

// A row of buttons in the order given, right-aligned. (A QDialogButtonBox would
// order them by the desktop's conventions, and with them the tab order.)
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons);

} // namespace classic
