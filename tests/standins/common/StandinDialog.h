#pragma once

// Dialogs of the stand-in programs: when one ends, the keyboard goes to its
// owner before its window goes (see handKeyboardToOwner).

#include <QDialog>
#include <QMessageBox>

namespace standin {

class StandinDialog : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;
    void done(int result) override;
};

class StandinMessageBox : public QMessageBox
{
    Q_OBJECT
public:
    using QMessageBox::QMessageBox;
    void done(int result) override;
};

} // namespace standin
