#include "fax.h"

#include "OrderDesk.h"

namespace orderapp {

fax::fax() : PrintedOrderForm(Kind::Fax, InstructionText()) {}

QString fax::InstructionText()
{
    return QStringLiteral("Please fill in this form. Click FAX/PRINT button. Select FAX from "
                          "Printers. Enter our FAX number ") +
           OrderDesk::FaxNumber +
           QStringLiteral(" and FAX it. Or print the form and send by FAX. Or write the  ALL info "
                          "on paper and FAX it.");
}

} // namespace orderapp
