#include "StandinDialog.h"

#include "StandinApplication.h"

namespace standin {

void StandinDialog::done(int result)
{
    handKeyboardToOwner(this);
    QDialog::done(result);
}

void StandinMessageBox::done(int result)
{
    handKeyboardToOwner(this);
    QMessageBox::done(result);
}

} // namespace standin
