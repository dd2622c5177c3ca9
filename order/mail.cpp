#include "mail.h"

#include "OrderDesk.h"

namespace orderapp {

mail::mail() : PrintedOrderForm(Kind::Mail, InstructionText()) {}

QString mail::InstructionText()
{
    return QStringLiteral("Please fill in this form, click PRINT button and mail it. Or write the "
                          " ALL information on paper and mail it. Mail To: Quorvex, ") +
           OrderDesk::PostalAddress;
}

} // namespace orderapp
