#pragma once

// Keys for the stand-ins' suites, arriving the way the voice wizard's keys
// arrive from the window system: at whatever has the keyboard right now (an
// open menu, else the focused control, else the active dialog or window).
// "%F" is Alt with the lower-case key, a capital letter comes with Shift.

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QWidget>

namespace standin::testkeys {

inline QWidget* keyboardTarget()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    if (QWidget* focus = QApplication::focusWidget(); focus && focus->isVisible())
        return focus;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal->focusWidget() ? modal->focusWidget() : modal;
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    return nullptr;
}

// False when nothing could take the key.
inline bool press(Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = {})
{
    QWidget* target = keyboardTarget();
    if (!target)
        return false;
    QTest::sendKeyEvent(QTest::Click, target, key, text, modifiers);
    return true;
}

inline bool alt(char letter) // "%F" is alt('f')
{
    return press(Qt::Key(Qt::Key_A + (letter - 'a')), QString(QLatin1Char(letter)),
                 Qt::AltModifier);
}

inline bool tab()
{
    return press(Qt::Key_Tab, QStringLiteral("\t"));
}

inline bool enter()
{
    return press(Qt::Key_Return, QStringLiteral("\r"));
}

inline bool escape()
{
    return press(Qt::Key_Escape, QStringLiteral("\x1b"));
}

// Each character as itself, as the X11 keyboard reports it: a letter as its
// upper-case key (with Shift for a capital), any other character with its own
// code as the key where it has one.
inline bool type(const QString& text)
{
    for (const QChar c : text) {
        Qt::Key key = Qt::Key_unknown;
        Qt::KeyboardModifiers modifiers;
        if (c.isLetter() && c.unicode() < 0x100) {
            key = Qt::Key(c.toUpper().unicode());
            if (c.isUpper())
                modifiers = Qt::ShiftModifier;
        } else if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            key = Qt::Key(c.unicode());
        }
        if (!press(key, QString(c), modifiers))
            return false;
    }
    return true;
}

inline QStringList readLog(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

inline QString activeTitle()
{
    QWidget* active = QApplication::activeWindow();
    return active ? active->windowTitle() : QString();
}

} // namespace standin::testkeys
