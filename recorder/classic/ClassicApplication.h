#pragma once

// The application object of a program that takes keys the classic desktop
// way. It logs every key the program receives, once, with the window that
// took it, and makes keys follow the keyboard the way the classic desktop
// does:
// - keys are queued: the program takes the next key only once it has handled
//   the one before (including a dialog or menu that key opened), and the key
//   goes to whatever has the keyboard at that moment (an open menu, else the
//   dialog on top, else the main window), whichever of the program's windows
//   the window system addressed it to (on X11: see X11KeyQueue.h). So a
//   sender that queues several keys at once (Alt+F, X, Tab, Enter) reaches the
//   question the X opens with the Tab and Enter, although the window system
//   addressed them to the menu or the main window, and keys sent to a dialog
//   that is still opening reach it;
// - when a dialog ends, its owner gets the keyboard before the dialog's window
//   goes (on X11 the input focus is moved at once, so that no key sent
//   meanwhile falls between the two windows, outside the program);
// - a key delivered to a window that has closed (by the offscreen platform,
//   or sent by a test) goes to the window that has the keyboard now.
//
// Log lines (see EventLog.h):
//   key         <window>  <key>  <text>  [shortcut]
//   shown       <window>
//   hidden      <window>
//   redirected  <window addressed>  <window that got the key>   (once for each)
// <window> is the window's title, or "menu:<title>" for an open menu; <key> is
// the key in portable text ("Alt+F", "Shift+G", "Tab", "Return", "Pause",
// "Esc"); <text> is the text the key produced. Presses of modifier keys alone
// (Shift, Alt, ...) are not logged. "shortcut" marks a key taken by a shortcut
// or mnemonic (a menu bar title, a button). "redirected" is logged when keys
// the window system addressed to a window that has closed, or to one that a
// dialog has covered since, go elsewhere.

#include <QApplication>
#include <QHash>
#include <QPointer>

#include <memory>

class QKeyEvent;

namespace classic {

struct WindowSystemKey;
class X11Keys;

class ClassicApplication : public QApplication
{
    Q_OBJECT
public:
    ClassicApplication(int& argc, char** argv);
    ~ClassicApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The name a window is logged under.
    static QString windowName(const QWidget* window);
    static QString keyName(int key, Qt::KeyboardModifiers modifiers);
    static bool isModifierKey(int key);
    // The window that has the keyboard now: the dialog on top, else the
    // active window, else the main window.
    static QWidget* keyboardOwner();

    // The title a native window had when it was shown (for the log).
    QString formerTitle(quintptr nativeWindow) const { return m_titles.value(nativeWindow); }
    // Logs "redirected" once for each closed window whose keys go elsewhere.
    void logRedirect(const QString& closed, const QString& owner);
    // A key from the window system, in its turn: to whatever has the keyboard.
    void deliverKey(const WindowSystemKey& key);

private:
    void logKey(const QString& window, int key, Qt::KeyboardModifiers modifiers,
                const QString& text, const QString& note = QString());
    void windowHidden(QWidget* window);
    static QWidget* closedWindowOf(QObject* receiver);
    void handOn(QWidget* closed, const QKeyEvent* key);
    // What takes a key now: the open menu, else the focused control of the
    // window that has the keyboard.
    static QWidget* keyReceiver();
    void sendKey(QWidget* to, const QKeyEvent& key);
    void noteAddressee(quintptr nativeWindow, QWidget* window);

    struct PendingKey
    {
        bool valid = false;
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        QString text;
        QPointer<QObject> receiver;
    };
    PendingKey m_pending;  // the key of the last shortcut override, until it is logged
    PendingKey m_handedOn; // a key handed on, until it is delivered or a shortcut takes it
    bool m_handingOn = false;
    int m_widgetKeyDepth = 0; // key presses being delivered to widgets, nested
    QHash<quintptr, QString> m_titles;
    QString m_lastRedirect;
    std::unique_ptr<X11Keys> m_x11Keys;
};

// Gives the keyboard to the window that has it once dialog is gone (its
// owner), before the dialog's window goes.
void handKeyboardToOwner(QWidget* dialog);

} // namespace classic
