#include "OrderForm.h"

#include "Module1.h"
#include "ProductTable.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orderapp {

namespace {

struct Variant
{
    const char* object;
    const char* caption;
    int width;      // twips
    int rows[5];    // twips
    int columns[5]; // twips
    const char* tax;
    const char* action;
};

const Variant& variant(OrderForm::Kind kind)
{
    static const Variant email{"email",
                               "E-Mail Order",
                               7596,
                               {3675, 3975, 4275, 4605, 4935},
                               {45, 630, 4935, 5805, 7500},
                               "WI residents: Appropriate sales tax will be added.",
                               "Copy"};
    static const Variant fax{"fax",
                             "FAX Order",
                             7596,
                             {3690, 3990, 4290, 4620, 4950},
                             {45, 630, 4935, 5805, 7485},
                             "WI residents: Appropriate sales tax will be added.",
                             "FAX/Print"};
    static const Variant mail{"mail",
                              "Mail Order",
                              7584,
                              {3720, 4020, 4320, 4650, 4980},
                              {45, 630, 4935, 5805, 7500},
                              "WI residents:Appropriate sales tax will be added.",
                              "Print"};
    switch (kind) {
    case OrderForm::Kind::Email:
        return email;
    case OrderForm::Kind::Fax:
        return fax;
    case OrderForm::Kind::Mail:
        break;
    }
    return mail;
}

constexpr int ClientHeight = 6324;
constexpr int RowPitch = 27;
constexpr int BoxHeight = 21;
constexpr int FirstRow = 52;

} // namespace

OrderForm::OrderForm(Kind k, const QString& instructionText) : kind(k)
{
    const Variant& v = variant(kind);
    const bool isEmail = kind == Kind::Email;
    const int width = twips(v.width);
    const int height = twips(ClientHeight);
    MakeOrderWindow(this, v.object, QLatin1String(v.caption), width, height);

    instructions = MakeLabel(this, kind == Kind::Fax ? "Label1" : "Label19", instructionText,
                             QRect(6, 3, width - 12, FirstRow - 6));

    // Captions on the left, boxes beside them; two fields share the city and zip rows.
    auto caption = [this](const char* name, const QString& text, int x, int row, int w) {
        return MakeLabel(this, name, text, QRect(x, FirstRow + row * RowPitch + 3, w, 16),
                         Qt::AlignLeft | Qt::AlignVCenter, false);
    };
    auto box = [this](const char* name, int x, int row, int w) {
        return MakeBox(this, name, QRect(x, FirstRow + row * RowPitch, w, BoxHeight));
    };
    const int boxX = 112;
    const int wideBox = 262;
    const int secondCaptionX = 274;
    const int secondBoxX = 356;
    const int halfBox = 150;
    const int secondBox = width - 6 - secondBoxX;

    nameCaption = caption(
        "Label2", kind == Kind::Fax ? QStringLiteral("Name On CC") : QStringLiteral("Name on CC"),
        6, 0, 104);
    nameBox = box("Text1", boxX, 0, wideBox);
    caption("Label3", QStringLiteral("Street line 1"), 6, 1, 104);
    street1Box = box(isEmail ? "Text17" : "Text2", boxX, 1, wideBox);
    caption("Label4", QStringLiteral("Street line 2"), 6, 2, 104);
    street2Box = box(isEmail ? "Text16" : "Text12", boxX, 2, wideBox);
    caption("Label9", QStringLiteral("City"), 6, 3, 104);
    cityBox = box(isEmail ? "Text2" : "Text13", boxX, 3, halfBox);
    caption("Label10", QStringLiteral("State/Prov."), secondCaptionX, 3, 80);
    stateBox = box("Text14", secondBoxX, 3, secondBox);
    caption("Label13", QStringLiteral("Zip Code"), 6, 4, 104);
    zipBox = box("Text15", boxX, 4, halfBox);
    caption("Label14", QStringLiteral("Country"), secondCaptionX, 4, 80);
    countryBox = box(isEmail ? "Text18" : "Text16", secondBoxX, 4, secondBox);
    caption("Label15", QStringLiteral("Phone Number"), 6, 5, 104);
    phoneBox = box("Text3", boxX, 5, wideBox);
    caption("Label16", QStringLiteral("E-Mail Address"), 6, 6, 104);
    emailBox = box("Text4", boxX, 6, wideBox);
    if (!isEmail)
        street2Box->setProperty("Index", 0);

    // The product table.
    const auto rows = gridRows();
    const auto cols = gridColumns();
    const char* lineNames[10] = {"Line1", "Line2", "Line3", "Line4", "Line5",
                                 "Line6", "Line7", "Line8", "Line9", "Line10"};
    for (int i = 0; i < 5; ++i)
        Line[static_cast<std::size_t>(i)] =
            MakeLine(this, lineNames[i], cols[0], rows[static_cast<std::size_t>(i)], cols[4],
                     rows[static_cast<std::size_t>(i)]);
    for (int i = 0; i < 5; ++i)
        Line[static_cast<std::size_t>(5 + i)] =
            MakeLine(this, lineNames[5 + i], cols[static_cast<std::size_t>(i)], rows[0],
                     cols[static_cast<std::size_t>(i)], rows[4]);
    auto cell = [&](int col, int row) {
        const auto c = static_cast<std::size_t>(col);
        const auto r = static_cast<std::size_t>(row);
        return QRect(cols[c] + 1, rows[r] + 1, cols[c + 1] - cols[c] - 1,
                     rows[r + 1] - rows[r] - 1);
    };
    const auto centred = Qt::AlignCenter;
    const auto leftMid = Qt::AlignLeft | Qt::AlignVCenter;
    MakeLabel(this, "Label17", QStringLiteral("Qty"), cell(0, 0), centred, false);
    MakeLabel(this, "Label20", QStringLiteral("Program"), cell(1, 0).adjusted(3, 0, 0, 0), leftMid,
              false);
    MakeLabel(this, "Label21", QStringLiteral("Price"), cell(2, 0), centred, false);
    MakeLabel(this, "Label22", QStringLiteral("Enter Serial No."), cell(3, 0), centred, false);
    const char* qtyNames[3] = {"Text10", "Text11", "Text12"};
    const char* serialNames[3] = {"Text6", "Text5", "Text9"};
    const char* programNames[3] = {"Label5", "Label6", "Label7"};
    const char* priceNames[3] = {"Label12", "Label8", "Label11"};
    std::array<QLabel*, 3> programs{};
    std::array<QLabel*, 3> prices{};
    for (int i = 0; i < 3; ++i) {
        const auto u = static_cast<std::size_t>(i);
        quantityBoxes[u] = MakeBox(this, qtyNames[i], cell(0, i + 1), false);
        quantityBoxes[u]->setAlignment(Qt::AlignCenter);
        programs[u] = MakeLabel(this, programNames[i], QString(),
                                cell(1, i + 1).adjusted(3, 0, 0, 0), leftMid, false);
        prices[u] = MakeLabel(this, priceNames[i], QString(), cell(2, i + 1), centred, false);
        serialBoxes[u] = MakeBox(this, serialNames[i], cell(3, i + 1), false);
    }
    if (!isEmail)
        quantityBoxes[2]->setProperty("Index", 1);
    Label5 = programs[0];
    Label6 = programs[1];
    Label7 = programs[2];
    Label12 = prices[0];
    Label8 = prices[1];
    Label11 = prices[2];

    // Card number and expiration date.
    const int cardTop = rows[4] + 6;
    const int cardBoxX = 270;
    MakeLabel(this, "Label23", QStringLiteral("Credit Card Number"), QRect(6, cardTop + 2, 200, 16),
              leftMid, false);
    cardBox = MakeBox(this, "Text7", QRect(cardBoxX, cardTop, width - 6 - cardBoxX, BoxHeight));
    if (isEmail) {
        QLabel* note = MakeLabel(this, "Label24",
                                 QStringLiteral("(will be encrypted when you click Copy button)"),
                                 QRect(6, cardTop + 19, 262, 14), leftMid, false);
        note->setFont(ArialBold(10));
    }
    const int expiryTop = cardTop + 34;
    MakeLabel(this, "Label25", QStringLiteral("Credit Card Expiration Date"),
              QRect(6, expiryTop + 2, 200, 16), leftMid, false);
    expiryBox = MakeBox(this, "Text8", QRect(cardBoxX, expiryTop, 110, BoxHeight));

    // The bottom row: tax note, Cancel, the action.
    const int buttonTop = height - 28;
    Label18 = MakeLabel(this, "Label18", QLatin1String(v.tax), QRect(6, buttonTop + 4, 300, 16),
                        leftMid, false);
    Label18->setFont(ArialBold(10));
    Command2 = MakeButton(this, "Command2", QStringLiteral("Cancel"),
                          QRect(width - 6 - 96 - 6 - 86, buttonTop, 86, 24));
    Command3 = MakeButton(this, "Command3", QLatin1String(v.action),
                          QRect(width - 6 - 96, buttonTop, 96, 24));

    QWidget* chain[] = {nameBox,        street1Box,       street2Box,     cityBox,
                        stateBox,       zipBox,           countryBox,     phoneBox,
                        emailBox,       quantityBoxes[0], serialBoxes[0], quantityBoxes[1],
                        serialBoxes[1], quantityBoxes[2], serialBoxes[2], cardBox,
                        expiryBox,      Command3,         Command2};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i)
        setTabOrder(chain[i], chain[i + 1]);

    connect(Command2, &QPushButton::clicked, this, &OrderForm::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &OrderForm::Command3_Click);
}

std::array<int, 5> OrderForm::gridRows() const
{
    const Variant& v = variant(kind);
    std::array<int, 5> r{};
    for (std::size_t i = 0; i < 5; ++i)
        r[i] = twips(v.rows[i]);
    return r;
}

std::array<int, 5> OrderForm::gridColumns() const
{
    const Variant& v = variant(kind);
    std::array<int, 5> c{};
    for (std::size_t i = 0; i < 5; ++i)
        c[i] = twips(v.columns[i]);
    return c;
}

void OrderForm::Form_Load()
{
    CentreWindow(this);
    const OrderSettingsData& s = OrderSettings;
    SetCaption(Label5, s.Program1Name);
    SetCaption(Label6, s.Program2Name);
    SetCaption(Label7, s.Program3Name);
    SetCaption(Label12, s.Program1Price);
    SetCaption(Label8, s.Program2Price);
    SetCaption(Label11, s.Program3Price);
    for (QLabel* l : {Label5, Label6, Label7, Label12, Label8, Label11})
        FitOneLine(l);
    serialBoxes[1]->setText(s.Serial2);
    serialBoxes[0]->setText(s.Serial1);
    serialBoxes[2]->setText(s.Serial3);
    for (QLineEdit* b : serialBoxes)
        b->setCursorPosition(0);
    nameBox->setFocus();
}

int OrderForm::ValidateForm()
{
    const FormEntries entries{nameBox->text(),  street1Box->text(),       cityBox->text(),
                              stateBox->text(), zipBox->text(),           phoneBox->text(),
                              emailBox->text(), quantityBoxes[0]->text(), cardBox->text(),
                              expiryBox->text()};
    const FormCheck check = CheckForm(entries);
    if (check.step == 0)
        return 1;
    platform::services().messages->Show(this, check.message, QStringLiteral("Order"),
                                        platform::MessageStyle::Exclamation);
    return 0;
}

void OrderForm::Command2_Click()
{
    close();
}

} // namespace orderapp
