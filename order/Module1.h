#pragma once

// Values and procedures shared by the windows of the ordering program.

#include <QPointer>
#include <QRect>
#include <QString>

#include <array>

class QFont;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace orderapp {

// What order.ini says, read once by the chooser's load step.
struct OrderSettingsData
{
    QString AuthorName;
    QString AuthorEmail;
    QString AuthorPhone;
    QString Program1ID;
    QString Program1Name;
    QString Program1Price;
    QString Program2Name;
    QString Program2Price;
    QString Program3Name;
    QString Program3Price;
    QString Serial1;
    QString Serial2;
    QString Serial3;
};
extern OrderSettingsData OrderSettings;

// The folder holding the program file (tests may point it elsewhere).
QString ProgramFolder();
void SetProgramFolder(const QString& folder); // empty: the program's own folder again
// The folder followed by the separator and "order.ini" (one separator only).
QString OrderIniPath();
// Reads the fourteen values of order.ini in their order into OrderSettings; returns the
// comment (at most 199 characters).
QString LoadOrderSettings(const QString& iniPath);

// --- Card number scrambling -------------------------------------------------------------

// The latest card number copied from the e-mail window, scrambled; and its rendering.
extern QString CardText;
extern QString CardHex;
// Scrambles the text in place with the stored key; applying it twice gives the text back.
// Works on character codes 0 to 255 (see IsSingleByteText).
void ScrambleText(QString& text);
// Two upper-case hexadecimal digits per character.
QString HexText(const QString& text);
// Whether every character has a code from 0 to 255 (Latin-1), so that scrambling keeps
// one byte per character.
bool IsSingleByteText(const QString& text);

// --- Validation of the order entry forms ------------------------------------------------

struct FormEntries
{
    QString name, street1, city, state, zip, phone, email, quantity1, card, expiry;
};
struct FormCheck
{
    int step = 0; // 0 when every check passed, else the failing check (1 to 12)
    QString message;
};
// The checks of the order entry forms in their order; the first failure ends them.
FormCheck CheckForm(const FormEntries& entries);

// --- The e-mail order text ----------------------------------------------------------------

struct OrderTextEntries
{
    QString name, street1, street2, city, state, zip, country, phone, email;
    std::array<QString, 3> quantity, program, price, serial;
    QString cardHex, expiry;
};
// The 25 lines, CR LF after each but the last.
QString OrderText(const OrderTextEntries& entries);

// --- Windows ------------------------------------------------------------------------------

// Each window type has at most one window. Show creates it when there is none (running its
// Form_Load), then shows it and brings it forward. Closing a window destroys it.
template <class W> inline QPointer<W> g_window;

template <class W> W* Existing()
{
    return g_window<W>.data();
}

void BringForward(QWidget* window);
void InitResources();

template <class W> W* Show()
{
    W* w = g_window<W>.data();
    // A window is hidden only by closing it: one closed but not yet destroyed is not reused.
    if (w && w->isHidden())
        w = nullptr;
    if (!w) {
        InitResources();
        w = new W;
        g_window<W> = w;
        w->Form_Load();
    }
    BringForward(w);
    return w;
}

// Building blocks of the windows (sizes in pixels, 15 twips each).
constexpr int twips(int t)
{
    return t / 15;
}
// Arial bold in the given pixel size.
QFont ArialBold(int pixelSize);
// A fixed-size window with a white background, Arial bold, destroyed when closed.
void MakeOrderWindow(QWidget* window, const char* name, const QString& caption, int clientWidth,
                     int clientHeight, int fontPixels = 11);
// Centres the window on the screen it will be shown on (its outer size, the whole screen).
void CentreWindow(QWidget* window);

// A label whose text may hold line breaks as single carriage returns: the text is kept as
// given (Caption) and shown with real line breaks.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& rect,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop, bool wrap = true);
void SetCaption(QLabel* label, const QString& text);
QString Caption(const QLabel* label);
// The height the label needs for its text at its width.
int NeededHeight(const QLabel* label);
QLineEdit* MakeBox(QWidget* parent, const char* name, const QRect& rect, bool frame = true);
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& rect);
// A thin black line from (x1, y1) to (x2, y2), horizontal or vertical.
QWidget* MakeLine(QWidget* parent, const char* name, int x1, int y1, int x2, int y2);

} // namespace orderapp
