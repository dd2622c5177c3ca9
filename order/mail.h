#pragma once

#include "PrintedOrderForm.h"

namespace orderapp {

// "Mail Order": the filled-in form is printed and posted.
class mail : public PrintedOrderForm
{
    Q_OBJECT
public:
    mail();
    static QString InstructionText();

    QLabel*& Label19 = instructions;
};

} // namespace orderapp
