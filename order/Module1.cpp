#include "Module1.h"

#include "OrderDesk.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

// Resources of a static library are registered by hand.
static void initOrderResources()
{
    Q_INIT_RESOURCE(order);
}

namespace orderapp {

OrderSettingsData OrderSettings;
QString CardText;
QString CardHex;

namespace OrderDesk {

QString EmailAddressUpper()
{
    return EmailAddress.toUpper();
}

QString EmailAddressCapitalised()
{
    const QString lower = EmailAddress.toLower();
    return lower.left(1).toUpper() + lower.mid(1);
}

QString OrderPage()
{
    return WebSite + OrderPagePath;
}

} // namespace OrderDesk

namespace {

QString g_programFolder;

// The scrambling key: 16 printable characters.
constexpr char16_t ScrambleKey[] = u"k3$Rw9!Tz2#Ub7&M";
constexpr int ScrambleKeyLength = 16;
static_assert(sizeof(ScrambleKey) / sizeof(char16_t) == ScrambleKeyLength + 1);

const char* CaptionProperty = "orderCaption";

} // namespace

QString ProgramFolder()
{
    return g_programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : g_programFolder;
}

void SetProgramFolder(const QString& folder)
{
    g_programFolder = folder;
}

QString OrderIniPath()
{
    QString folder = ProgramFolder();
    // A folder at the root already ends in the separator.
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return QDir::toNativeSeparators(folder + QStringLiteral("order.ini"));
}

QString LoadOrderSettings(const QString& iniPath)
{
    platform::ProfileReader& reader = *platform::services().profile;
    const QString author = QStringLiteral("Author");
    auto read = [&](const char* section, const char* key, const QString& def, int size = 50) {
        return reader.GetProfileString(QLatin1String(section), QLatin1String(key), def, size,
                                       iniPath);
    };
    OrderSettingsData& s = OrderSettings;
    s.AuthorName = read("AuthorInfo", "AuthorName", author);
    s.AuthorEmail = read("AuthorInfo", "AuthorEmail", author);
    s.AuthorPhone = read("AuthorInfo", "AuthorPhone", QString());
    s.Program1ID = read("ProgramInfo", "Program1ID", QString());
    s.Program1Name = read("ProgramInfo", "Program1Name", QString());
    s.Program1Price = read("ProgramInfo", "Program1Price", QString());
    s.Program2Name = read("ProgramInfo", "Program2Name", QString());
    s.Program2Price = read("ProgramInfo", "Program2Price", QString());
    s.Program3Name = read("ProgramInfo", "Program3Name", QString());
    s.Program3Price = read("ProgramInfo", "Program3Price", QString());
    s.Serial1 = read("SerialNumbers", "Serial1", QString());
    s.Serial2 = read("SerialNumbers", "Serial2", QString());
    s.Serial3 = read("SerialNumbers", "Serial3", QString());
    return read("AuthorInfo", "Comments", QString(), 200);
}

void ScrambleText(QString& text)
{
    int k = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t mask = static_cast<char16_t>(2 * ScrambleKey[k]);
        k = (k + 1) % ScrambleKeyLength;
        text[i] = QChar(static_cast<char16_t>(text[i].unicode() ^ mask));
    }
}

QString HexText(const QString& text)
{
    static const char digits[] = "0123456789ABCDEF";
    QString hex;
    hex.reserve(text.size() * 2);
    for (QChar c : text) {
        // Only codes up to 255 reach here; keep two digits per character regardless.
        const unsigned code = c.unicode() & 0xFFu;
        hex += QLatin1Char(digits[code >> 4]);
        hex += QLatin1Char(digits[code & 0xF]);
    }
    return hex;
}

bool IsSingleByteText(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

FormCheck CheckForm(const FormEntries& e)
{
    const std::pair<const QString*, const char*> required[] = {
        {&e.name, "Name is Required"},
        {&e.street1, "Address is Required"},
        {&e.city, "City is Required"},
        {&e.state, "State is Required"},
        {&e.zip, "Zip/Postal Code is Required"},
        {&e.phone, "Phone Number is Required"},
        {&e.email, "E-Mail Address is Required"},
        {&e.quantity1, "Quantity is Required"},
        {&e.card, "Credit Card Number is Required"},
        {&e.expiry, "Credit Card Expiration is Required"},
    };
    int step = 0;
    for (const auto& [text, message] : required) {
        ++step;
        if (text->isEmpty())
            return {step, QLatin1String(message)};
    }
    if (e.card.size() < 16)
        return {11, QStringLiteral("Credit Card Number is Incorrect")};
    if (e.card.front() != u'4' && e.card.front() != u'5')
        return {12, QStringLiteral("Credit Card Number is Incorrect.") + QChar(u'\r') +
                        QStringLiteral("We accept Visa and Master Card Only")};
    return {};
}

QString OrderText(const OrderTextEntries& e)
{
    const QString crlf = QStringLiteral("\r\n");
    QString t;
    t += QStringLiteral("***E-Mail This To: ") + OrderDesk::EmailAddressUpper() +
         QStringLiteral("***") + crlf;
    t += crlf;
    t += QStringLiteral("Name: ") + e.name + crlf;
    t += QStringLiteral("Street1: ") + e.street1 + crlf;
    t += QStringLiteral("Street2: ") + e.street2 + crlf;
    t += QStringLiteral("City: ") + e.city + crlf;
    t += QStringLiteral("State: ") + e.state + crlf;
    t += QStringLiteral("Zip: ") + e.zip + crlf;
    t += QStringLiteral("Country: ") + e.country + crlf;
    t += QStringLiteral("Phone: ") + e.phone + crlf;
    t += QStringLiteral("E-Mail: ") + e.email + crlf;
    for (int i = 0; i < 3; ++i) {
        const QString n = QString::number(i + 1);
        const auto u = static_cast<std::size_t>(i);
        t += QStringLiteral("Qty") + n + QStringLiteral(": ") + e.quantity[u] + crlf;
        t += QStringLiteral("Program") + n + QStringLiteral(": ") + e.program[u] + crlf;
        t += QStringLiteral("Price") + n + QStringLiteral(": ") + e.price[u] + crlf;
        t += QStringLiteral("Ser.No.") + n + QStringLiteral(": ") + e.serial[u] + crlf;
    }
    t += QStringLiteral("CC Number: ") + e.cardHex + crlf;
    t += QStringLiteral("CC Exp. Date: ") + e.expiry;
    return t;
}

// --- Windows ------------------------------------------------------------------------------

void InitResources()
{
    static const bool done = (initOrderResources(), true);
    Q_UNUSED(done);
}

void BringForward(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

QFont ArialBold(int pixelSize)
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(true);
    return f;
}

void MakeOrderWindow(QWidget* window, const char* name, const QString& caption, int clientWidth,
                     int clientHeight, int fontPixels)
{
    window->setObjectName(QLatin1String(name));
    window->setWindowTitle(caption);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint);
    window->setFixedSize(clientWidth, clientHeight);
    window->setAutoFillBackground(true);
    QPalette p = window->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    window->setPalette(p);
    window->setFont(ArialBold(fontPixels));
}

void CentreWindow(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect whole = screen->geometry();
    QSize outer = window->frameGeometry().size();
    if (outer == window->size() && !window->isVisible()) {
        // Not framed yet: allow for a title bar and borders of the usual size.
        const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            outer += QSize(2, title + 2);
    }
    const double left = (whole.width() - outer.width()) / 2.0;
    const double top = (whole.height() - outer.height()) / 2.0;
    window->move(whole.topLeft() + QPoint(static_cast<int>(left), static_cast<int>(top)));
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& rect,
                  Qt::Alignment align, bool wrap)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(rect);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(wrap);
    l->setAlignment(align);
    SetCaption(l, text);
    return l;
}

void SetCaption(QLabel* label, const QString& text)
{
    label->setProperty(CaptionProperty, text);
    label->setText(platform::DisplayLines(text));
}

QString Caption(const QLabel* label)
{
    return label->property(CaptionProperty).toString();
}

int NeededHeight(const QLabel* label)
{
    const int h = label->heightForWidth(label->width());
    return h > 0 ? h : label->sizeHint().height();
}

QLineEdit* MakeBox(QWidget* parent, const char* name, const QRect& rect, bool frame)
{
    auto* b = new QLineEdit(parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(rect);
    b->setFrame(frame);
    if (!frame) {
        b->setTextMargins(2, 0, 2, 0);
        QPalette p = b->palette();
        p.setColor(QPalette::Base, Qt::white);
        b->setPalette(p);
    }
    return b;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& rect)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(rect);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QWidget* MakeLine(QWidget* parent, const char* name, int x1, int y1, int x2, int y2)
{
    auto* line = new QWidget(parent);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                            QPoint(std::max(x1, x2), std::max(y1, y2))));
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, Qt::black);
    line->setPalette(p);
    line->lower();
    return line;
}

} // namespace orderapp
