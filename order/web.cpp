#include "web.h"

#include "Module1.h"
#include "OrderDesk.h"
#include "platform/Platform.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace orderapp {

namespace {
constexpr int Width = 520;
constexpr int Margin = 10;
} // namespace

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space)
        emit clicked();
    else
        QLabel::keyPressEvent(event);
}

web::web()
{
    MakeOrderWindow(this, "web", QStringLiteral("Online Credit Card Orders Using Secure Server"),
                    Width, 330);
    table.build(this, Margin, Margin, Width - 2 * Margin);
    const int inner = Width - 2 * Margin;
    int y = table.bottom() + 12;
    Label1 = MakeLabel(this, "Label1",
                       QStringLiteral("Click the hyperlink below to order online using our order "
                                      "web site secure server."),
                       QRect(Margin, y, inner, 32));
    y += 40;
    Label8 = MakeLabel(this, "Label8",
                       QStringLiteral("Please make sure you are online (signed on) before clicking "
                                      "the link below. Or visit our order web site at ") +
                           OrderDesk::WebSite + QStringLiteral(" when you are online."),
                       QRect(Margin, y, inner, 48));
    QPalette red = Label8->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label8->setPalette(red);
    y += 60;

    Label12 = new LinkLabel(this);
    Label12->setObjectName(QStringLiteral("Label12"));
    SetCaption(Label12, OrderDesk::WebSite);
    QFont link = Label12->font();
    link.setPixelSize(14);
    link.setUnderline(true);
    Label12->setFont(link);
    QPalette blue = Label12->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Label12->setPalette(blue);
    Label12->setCursor(Qt::PointingHandCursor);
    Label12->setFocusPolicy(Qt::NoFocus);
    Label12->adjustSize();
    Label12->move((Width - Label12->width()) / 2, y);
    y += Label12->height() + 14;

    Label13 = MakeLabel(this, "Label13", QStringLiteral("Thank you!"), QRect(Margin, y, 120, 20));
    y += 30;
    Command2 =
        MakeButton(this, "Command2", QStringLiteral("Cancel"), QRect((Width - 90) / 2, y, 90, 24));
    setFixedSize(Width, y + 24 + Margin);

    setTabOrder(Text6, Text5);
    setTabOrder(Text5, Text9);
    setTabOrder(Text9, Command2);
    connect(Label12, &LinkLabel::clicked, this, &web::Label12_Click);
    connect(Command2, &QPushButton::clicked, this, &web::Command2_Click);
}

void web::Form_Load()
{
    CentreWindow(this);
    table.fill();
    Text6->setFocus();
}

void web::Label12_Click()
{
    platform::services().desktop->OpenAddress(OrderDesk::OrderPage(), this);
}

void web::Command2_Click()
{
    close();
}

} // namespace orderapp
