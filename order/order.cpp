#include "order.h"

#include "Module1.h"
#include "email.h"
#include "fax.h"
#include "mail.h"
#include "phone.h"
#include "web.h"

#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

namespace orderapp {

namespace {
constexpr int Width = 400;
constexpr int CommentTop = 252;
constexpr int ButtonHeight = 24;
} // namespace

order::order()
{
    MakeOrderWindow(this, "order", QStringLiteral("Order Now"), Width, 320);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry((Width - 200) / 2, 6, 200, 31);
    Image1->setPixmap(QPixmap(QStringLiteral(":/order/banner.png")));

    Label2 = MakeLabel(this, "Label2",
                       QStringLiteral("You can order with your Credit Card from Quorvex using one "
                                      "of the following ways: "),
                       QRect(10, 42, Width - 20, 32));

    Frame1 = new QGroupBox(
        QStringLiteral("Click to select an option and then click the Next button"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(8, 80, Width - 16, 164);
    auto option = [this](const char* name, const char* text, int row) {
        auto* o = new QRadioButton(QLatin1String(text), Frame1);
        o->setObjectName(QLatin1String(name));
        o->setGeometry(14, 24 + row * 22, Width - 50, 20);
        return o;
    };
    Option1 = option("Option1", "Toll Free Phone Call (US Only)", 0);
    Option2 = option("Option2", "Toll Phone Call (US and International)", 1);
    Option3 = option("Option3", "FAX", 2);
    Option4 = option("Option4", "Order Online (using a Secure Server)", 3);
    Option5 = option("Option5", "E-Mail (With Credit Card Number Encryption)", 4);
    Option6 = option("Option6", "Regular Mail", 5);

    Label4 = MakeLabel(this, "Label4", QString(), QRect(10, CommentTop, Width - 20, 16));
    btnCancel =
        MakeButton(this, "btnCancel", QStringLiteral("Cancel"), QRect(12, 0, 90, ButtonHeight));
    btnNext = MakeButton(this, "btnNext", QStringLiteral("Next"),
                         QRect(Width - 102, 0, 90, ButtonHeight));
    fitToComment();

    setTabOrder(Option1, Option2);
    setTabOrder(Option2, Option3);
    setTabOrder(Option3, Option4);
    setTabOrder(Option4, Option5);
    setTabOrder(Option5, Option6);
    setTabOrder(Option6, btnNext);
    setTabOrder(btnNext, btnCancel);

    connect(btnNext, &QPushButton::clicked, this, &order::btnNext_Click);
    connect(btnCancel, &QPushButton::clicked, this, &order::btnCancel_Click);
}

// The comment grows downward; the buttons and the window's bottom follow it.
void order::fitToComment()
{
    const int commentHeight = Caption(Label4).isEmpty() ? 16 : std::max(16, NeededHeight(Label4));
    Label4->resize(Label4->width(), commentHeight);
    const int buttonsTop = CommentTop + commentHeight + 8;
    btnCancel->move(btnCancel->x(), buttonsTop);
    btnNext->move(btnNext->x(), buttonsTop);
    setFixedSize(Width, buttonsTop + ButtonHeight + 10);
}

void order::Form_Load()
{
    const QString comments = LoadOrderSettings(OrderIniPath());
    SetCaption(Label4, comments);
    fitToComment();
    CentreWindow(this);
}

void order::btnNext_Click()
{
    if (Option1->isChecked())
        Show<phone>();
    if (Option2->isChecked())
        Show<phone>();
    if (Option3->isChecked())
        Show<fax>();
    if (Option4->isChecked())
        Show<web>();
    if (Option5->isChecked())
        Show<email>();
    if (Option6->isChecked())
        Show<mail>();
}

void order::btnCancel_Click()
{
    close();
}

} // namespace orderapp
