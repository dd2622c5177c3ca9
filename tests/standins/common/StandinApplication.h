#pragma once

// The application object of a stand-in program. It logs every key the program
// receives, once, with the window that took it, and gives the keyboard back to
// the owner of a dialog when the dialog closes, as the desktop the programs
// come from does.
//
// Log lines (see StandinLog.h):
//   key     <window>  <key>  <text>  [shortcut | not delivered]
//   shown   <window>
//   hidden  <window>
// <window> is the window's title, or "menu:<title>" for an open menu; <key> is
// the key in portable text ("Alt+F", "Shift+G", "Tab", "Return", "Pause",
// "Esc"); <text> is the text the key produced. Presses of modifier keys alone
// (Shift, Alt, ...) are not logged. "shortcut" marks a key taken by a
// shortcut or mnemonic (a menu bar title, a button); "not delivered" a key the
// window system gave to a window that could not take it (blocked by a modal
// dialog).

#include <QApplication>
#include <QPointer>

namespace standin {

class StandinApplication : public QApplication
{
    Q_OBJECT
public:
    StandinApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The name a window is logged under.
    static QString windowName(const QWidget* window);
    static QString keyName(int key, Qt::KeyboardModifiers modifiers);
    static bool isModifierKey(int key);

private:
    void logKey(const QString& window, int key, Qt::KeyboardModifiers modifiers,
                const QString& text, const QString& note = QString());
    void windowHidden(QWidget* window);

    struct PendingKey
    {
        bool valid = false;
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        QString text;
        QPointer<QObject> receiver;
    };
    PendingKey m_pending;     // the key of the last shortcut override, until it is logged
    int m_widgetKeyDepth = 0; // key presses being delivered to widgets, nested
    quint64 m_keysLogged = 0;
};

} // namespace standin
