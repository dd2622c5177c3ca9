#pragma once

// Values and helpers shared by the windows of the voice wizard.

#include <QColor>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFont>
#include <QRect>
#include <QString>

#include "automation/WindowSystem.h"
#include "targets/Recorder.h"

#include <functional>

class QLabel;
class QPushButton;
class QTimer;
class QWidget;

namespace vardane {

class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form6;
class Form7;
class Form8;
class Form9;
class Form10;
class Form11;

// The folder "Voice Files" inside the program's own folder; when the user cannot write
// there (an installed copy), the one in the user's own data folder, made when first asked for.
QString VoiceFolder();
// Puts the voice folder elsewhere (tests); an empty path restores the default.
void SetVoiceFolder(const QString& folder);

// The outside recorder: the program started and the titles of its windows.
inline const QString RecorderProgram = QString::fromUtf8(targets::recorder::Program);
inline const QString RecorderTitle = QString::fromUtf8(targets::recorder::MainTitle);
inline const QString PropertiesTitle = QString::fromUtf8(targets::recorder::PropertiesTitle);
inline const QString SelectionTitle = QString::fromUtf8(targets::recorder::SelectionTitle);
inline const QString SaveAsTitle = QString::fromUtf8(targets::recorder::SaveAsTitle);
inline const QString QuestionTitle = QString::fromUtf8(targets::recorder::QuestionTitle);

// Said at start on a Wayland session whose X server (Xwayland) does not
// answer: the wizard could not find the recorder's windows there.
QString NoXwaylandMessage();

// How long a wait for an outside program's window to appear or come to the
// front may last before the wizard gives up and says so.
constexpr int DefaultOutsideWaitLimitMs = 20000;
int OutsideWaitLimitMs();
void SetOutsideWaitLimitMs(int ms); // tests shorten it
// How long the recorder may take to write the saved file once its dialog closed.
constexpr int SavedFileWaitMs = 5000;

// How one wait of a road ended: what it waited for was seen, another window
// abandoned the road, or the time allowed ran out.
enum class WaitEnd { Done, Abandoned, TimeUp };
enum class Limit {
    None,   // the user may still be working in the other program
    Outside // OutsideWaitLimitMs
};

// The time one or more waits may take, from when it was made.
class WaitLimit
{
public:
    explicit WaitLimit(Limit limit = Limit::Outside) : m_limit(limit) { m_clock.start(); }
    // A limit of its own (a file being written, say).
    explicit WaitLimit(qint64 ms) : m_ownMs(ms) { m_clock.start(); }
    bool expired() const
    {
        if (m_ownMs >= 0)
            return m_clock.elapsed() > m_ownMs;
        return m_limit == Limit::Outside && m_clock.elapsed() > OutsideWaitLimitMs();
    }

private:
    QElapsedTimer m_clock;
    Limit m_limit = Limit::None;
    qint64 m_ownMs = -1;
};

// One wait of a road: while `done` is false and `abandon` is false (nor the
// program ending), one pass of `step` (a look-up and the keys that depend on
// it) and one pass over pending events, which keeps every window answering.
// Time up when the limit runs out first: one of its own, or one that the
// waits of a step share.
WaitEnd Until(const std::function<bool()>& done, const std::function<void()>& step,
              const std::function<bool()>& abandon, Limit limit = Limit::Outside);
WaitEnd Until(const std::function<bool()>& done, const std::function<void()>& step,
              const std::function<bool()>& abandon, const WaitLimit& limit);

// One step of a road that types into another program's window. On every
// pass `target` looks the window up and `taken` tells whether what the keys
// lead to has come (the next window, the window gone): then the step is done.
// The keys (`type`, given the window) go out only while the window holds the
// keyboard: one that has just come up may get it late (on a busy machine,
// under Xwayland), and one that has not got it KeyboardHandOverMs after it
// was found is brought to the front. When what they lead to has not come
// RetypeAfterMs after they went out and the window still holds the keyboard
// (which it would have handed on had they arrived), they are typed again.
WaitEnd TypeInto(const std::function<automation::WindowHandle()>& target,
                 const std::function<void(automation::WindowHandle)>& type,
                 const std::function<bool()>& taken, const std::function<bool()>& abandon,
                 Limit limit = Limit::Outside);
constexpr qint64 KeyboardHandOverMs = 1000;
constexpr qint64 RetypeAfterMs = 2500;

// The recorder's windows as every road looks them up, and what every road
// does with them.
automation::WindowHandle RecorderMainWindow();
std::function<automation::WindowHandle()> RecorderDialog(const QString& title);
// Its main window looked up and brought to the front on every pass until it
// is there; `found`, when given, gets the window last found.
WaitEnd BringRecorderToFront(const std::function<bool()>& abandon, Limit limit = Limit::Outside,
                             automation::WindowHandle* found = nullptr);
// Exit from its File menu, to the window that holds the keyboard (`window`
// gets it back should one of ours have taken it).
void TypeRecorderExit(automation::WindowHandle window);

// The clock behind voice file names (tests set their own).
void SetClock(std::function<QDateTime()> clock);
QDateTime Now();
// "[" mm-dd-yy "]" hh mm ssAMPM ".wav", on the 12-hour clock, "AM"/"PM" in any locale.
QString VoiceFileName(const QDate& date, const QTime& time);
// The full path of a new voice file in VoiceFolder: the date is read first, the time just after.
QString NewVoiceFilePath();

// The full path of the voice file to attach; empty at start.
QString CurrentVoiceFile();
void SetCurrentVoiceFile(const QString& path);

// left = (screen width - window width) / 2, top = (screen height - window height) / d,
// with the window's outer size and the whole screen's size.
void PlaceWindow(QWidget* window, double d);
// Where PlaceWindow puts the window, for the same inputs.
QPoint PlacedPosition(QWidget* window, double d);

// Each window is created on first use (its Form_Load runs then, once) and is
// afterwards only shown and hidden.
Form1& form1();
Form2& form2();
Form3& form3();
Form4& form4();
Form5& form5();
Form6& form6();
Form7& form7();
Form8& form8();
Form9& form9();
Form10& form10();
Form11& form11();
// Whether window n (1 to 11) has been created, without creating it.
bool formExists(int n);
// The window n if it exists, else nullptr; never creates it.
QWidget* existingForm(int n);
// Destroys every window and forgets the voice file (tests start each case afresh).
void resetForms();

// Ends the program: its windows go at once, every running wait ends at its
// next pass without another step, and the event loop is left; other
// programs' windows are left as they are.
void EndProgram();
// Whether the program is ending.
bool Ending();
// Replaces what EndProgram does (tests).
void setEndProgramHandler(std::function<void()> handler);

// Building blocks for the windows' fixed layouts (sizes in pixels, 15 twips each).
int twips(int t);
QFont uiFont(int pixelSize, bool bold = false);
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& rect,
                  const QFont& font, const QColor& color = Qt::black, bool wrap = true);
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QRect& rect);
QLabel* makePicture(QWidget* parent, const char* name, const QString& resource, const QRect& rect);
QTimer* makeTimer(QObject* parent, const char* name, int intervalMs);
// A window of fixed client size: no minimise or maximise button.
void makeFixedWindow(QWidget* window, int clientWidth, int clientHeight);
// A window of a given size whose user may still resize it. A tiling
// compositor (sway) would tile it, however narrow the tile, and float only
// dialogs and windows of a fixed size: there it is made one of a fixed size,
// so that it floats whole, every button of it on the screen.
void makeSizedWindow(QWidget* window, int clientWidth, int clientHeight);
// A borderless, top-most notice: white bold text on maroon.
void makeNoticeWindow(QWidget* window, int clientWidth, int clientHeight);
inline const QColor Maroon{0x80, 0x00, 0x00};
inline const QColor Navy{0x00, 0x00, 0x80};

} // namespace vardane
