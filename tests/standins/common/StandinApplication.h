#pragma once

// The application object of a stand-in program. It logs every key the program
// receives, once, with the window that took it, and makes keys follow the
// keyboard the way the desktop the programs come from does:
// - when a dialog ends, its owner gets the keyboard before the dialog's window
//   goes (on X11 the input focus is moved at once, so that no key sent
//   meanwhile falls between the two windows);
// - a key reaches the window that has the keyboard when the program gets to
//   the key. A sender that queues several keys at once (Enter, then Alt+F, X)
//   makes the window system address all of them to the window that had the
//   focus when they were sent; those that arrive after that window has closed
//   go to the window that has the keyboard now (the dialog still open, or the
//   main window) instead of being lost. This is done twice: for keys Qt has
//   already queued for the closed window, and (on X11) for keys the server
//   addressed to its native window, which Qt would drop unseen.
//
// Log lines (see StandinLog.h):
//   key         <window>  <key>  <text>  [shortcut]
//   shown       <window>
//   hidden      <window>
//   redirected  <closed window>  <window that gets its keys>   (once for each)
// <window> is the window's title, or "menu:<title>" for an open menu; <key> is
// the key in portable text ("Alt+F", "Shift+G", "Tab", "Return", "Pause",
// "Esc"); <text> is the text the key produced. Presses of modifier keys alone
// (Shift, Alt, ...) are not logged. "shortcut" marks a key taken by a shortcut
// or mnemonic (a menu bar title, a button).

#include <QApplication>
#include <QHash>
#include <QPointer>

class QAbstractNativeEventFilter;
class QKeyEvent;

namespace standin {

class StandinApplication : public QApplication
{
    Q_OBJECT
public:
    StandinApplication(int& argc, char** argv);
    ~StandinApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The name a window is logged under.
    static QString windowName(const QWidget* window);
    static QString keyName(int key, Qt::KeyboardModifiers modifiers);
    static bool isModifierKey(int key);
    // The window that has the keyboard now, for a key addressed to a window
    // that is gone.
    static QWidget* keyboardOwner();

    // The title a native window had when it was shown (for the log).
    QString formerTitle(quintptr nativeWindow) const { return m_titles.value(nativeWindow); }
    // Logs "redirected" once for each closed window whose keys go elsewhere.
    void logRedirect(const QString& closed, const QString& owner);

private:
    void logKey(const QString& window, int key, Qt::KeyboardModifiers modifiers,
                const QString& text, const QString& note = QString());
    void windowHidden(QWidget* window);
    static QWidget* closedWindowOf(QObject* receiver);
    void handOn(QWidget* closed, const QKeyEvent* key);

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
    QAbstractNativeEventFilter* m_keyRouting = nullptr;
};

// Gives the keyboard to the window that has it once dialog is gone (its
// owner), before the dialog's window goes.
void handKeyboardToOwner(QWidget* dialog);

} // namespace standin
