#include "Form10.h"

#include "Module1.h"

#include <QLabel>
#include <QPushButton>

namespace vardane {

Form10::Form10() : WizardWindow("Form10")
{
    setWindowTitle(QStringLiteral("About Tindrel"));
    makeSizedWindow(this, twips(2895), twips(3270));
    Picture1 = makePicture(this, "Picture1", QStringLiteral(":/pictures/product.png"),
                           QRect(36, 12, 121, 121));
    Label1 = makeLabel(this, "Label1", QStringLiteral("Tindrel Version 1.01"),
                       QRect(6, 144, 181, 20), uiFont(14, true), Navy, false);
    Label1->setAlignment(Qt::AlignCenter);
    Command1 = makeButton(this, "Command1", QStringLiteral("OK"), QRect(59, 180, 75, 26));
    connect(Command1, &QPushButton::clicked, this, &Form10::Command1_Click);
}

void Form10::Form_Load()
{
    PlaceWindow(this, 6.25);
}

void Form10::Command1_Click()
{
    hide();
}

} // namespace vardane
