#include "ClassicDialog.h"

#include "ClassicApplication.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace classic {

void ClassicDialog::done(int result)
{
    handKeyboardToOwner(this);
    QDialog::done(result);
}

void ClassicMessageBox::done(int result)
{
    handKeyboardToOwner(this);
    QMessageBox::done(result);
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace classic
