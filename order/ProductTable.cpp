#include "ProductTable.h"

#include "Module1.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

namespace orderapp {

void FitOneLine(QLabel* label)
{
    QFont f = label->font();
    int size = f.pixelSize() > 0 ? f.pixelSize() : 11;
    const int room = label->width() - 4;
    while (size > 8) {
        f.setPixelSize(size);
        if (QFontMetrics(f).horizontalAdvance(label->text()) <= room)
            break;
        --size;
    }
    f.setPixelSize(size);
    label->setFont(f);
    label->setToolTip(label->text());
}

void ProductTable::build(QWidget* parent, int left, int top, int width)
{
    constexpr int RowHeight = 22;
    const int priceWidth = 80;
    const int serialWidth = 140;
    const int x0 = left;
    const int x1 = left + width - priceWidth - serialWidth;
    const int x2 = x1 + priceWidth;
    const int x3 = left + width;
    int y[5];
    for (int i = 0; i < 5; ++i)
        y[i] = top + i * RowHeight;
    m_bottom = y[4];

    const char* names[9] = {"Line1", "Line2", "Line3", "Line4", "Line5",
                            "Line6", "Line7", "Line8", "Line9"};
    for (int i = 0; i < 5; ++i)
        Line[i] = MakeLine(parent, names[i], x0, y[i], x3, y[i]);
    const int xs[4] = {x0, x1, x2, x3};
    for (int i = 0; i < 4; ++i)
        Line[5 + i] = MakeLine(parent, names[5 + i], xs[i], y[0], xs[i], y[4]);

    auto cell = [&](int col, int row) {
        return QRect(xs[col] + 1, y[row] + 1, xs[col + 1] - xs[col] - 1, RowHeight - 1);
    };
    const auto centred = Qt::AlignCenter;
    const auto leftMid = Qt::AlignLeft | Qt::AlignVCenter;
    Label4 = MakeLabel(parent, "Label4", QStringLiteral("Program"), cell(0, 0).adjusted(3, 0, 0, 0),
                       leftMid, false);
    Label5 = MakeLabel(parent, "Label5", QStringLiteral("Price"), cell(1, 0), centred, false);
    Label3 =
        MakeLabel(parent, "Label3", QStringLiteral("Enter Serial No."), cell(2, 0), centred, false);
    auto name = [&](const char* n, int row) {
        return MakeLabel(parent, n, QString(), cell(0, row).adjusted(3, 0, 0, 0), leftMid, false);
    };
    auto price = [&](const char* n, int row) {
        return MakeLabel(parent, n, QString(), cell(1, row), centred, false);
    };
    auto serial = [&](const char* n, int row) { return MakeBox(parent, n, cell(2, row), false); };
    Label2 = name("Label2", 1);
    Label9 = price("Label9", 1);
    Text6 = serial("Text6", 1);
    Label6 = name("Label6", 2);
    Label10 = price("Label10", 2);
    Text5 = serial("Text5", 2);
    Label7 = name("Label7", 3);
    Label11 = price("Label11", 3);
    Text9 = serial("Text9", 3);
}

void ProductTable::fill()
{
    const OrderSettingsData& s = OrderSettings;
    SetCaption(Label2, s.Program1Name);
    SetCaption(Label6, s.Program2Name);
    SetCaption(Label7, s.Program3Name);
    SetCaption(Label9, s.Program1Price);
    SetCaption(Label10, s.Program2Price);
    SetCaption(Label11, s.Program3Price);
    for (QLabel* l : {Label2, Label6, Label7, Label9, Label10, Label11})
        FitOneLine(l);
    Text6->setText(s.Serial1);
    Text5->setText(s.Serial2);
    Text9->setText(s.Serial3);
    for (QLineEdit* box : {Text6, Text5, Text9})
        box->setCursorPosition(0);
}

} // namespace orderapp
