#include "StandinApplication.h"

#include "StandinLog.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcutEvent>
#include <QWindow>

namespace standin {

StandinApplication::StandinApplication(int& argc, char** argv) : QApplication(argc, argv) {}

QString StandinApplication::windowName(const QWidget* window)
{
    if (!window)
        return QStringLiteral("(none)");
    window = window->window();
    if (const auto* menu = qobject_cast<const QMenu*>(window)) {
        QString title = menu->title();
        title.remove(QLatin1Char('&'));
        return QStringLiteral("menu:") + title;
    }
    if (!window->windowTitle().isEmpty())
        return window->windowTitle();
    return window->objectName().isEmpty() ? QString::fromLatin1(window->metaObject()->className())
                                          : window->objectName();
}

bool StandinApplication::isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

QString StandinApplication::keyName(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == 0 || key == Qt::Key_unknown)
        return QStringLiteral("(unknown)");
    const auto mods =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return QKeySequence(QKeyCombination(mods, Qt::Key(key))).toString(QKeySequence::PortableText);
}

void StandinApplication::logKey(const QString& window, int key, Qt::KeyboardModifiers modifiers,
                                const QString& text, const QString& note)
{
    ++m_keysLogged;
    if (isModifierKey(key))
        return;
    QStringList fields{QStringLiteral("key"), window, keyName(key, modifiers), text};
    if (!note.isEmpty())
        fields << note;
    log(fields);
}

void StandinApplication::windowHidden(QWidget* window)
{
    // The desktop the stand-ins imitate gives the keyboard back to a dialog's
    // owner the moment the dialog ends; keys already on their way then reach
    // the owner.
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible() || owner->isMinimized())
        return;
    QWidget* active = QApplication::activeWindow();
    if (active == nullptr || active == window)
        owner->activateWindow();
}

bool StandinApplication::notify(QObject* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Sent once for each key press before shortcuts are tried; the press
        // itself follows unless a shortcut takes the key.
        if (m_widgetKeyDepth == 0) {
            const auto* ke = static_cast<QKeyEvent*>(event);
            m_pending = {true, ke->key(), ke->modifiers(), ke->text(), receiver};
        }
        break;
    case QEvent::Shortcut: {
        const auto* se = static_cast<QShortcutEvent*>(event);
        const QWidget* target =
            receiver->isWidgetType() ? static_cast<QWidget*>(receiver) : nullptr;
        if (!target && m_pending.receiver && m_pending.receiver->isWidgetType())
            target = static_cast<QWidget*>(m_pending.receiver.data());
        if (m_pending.valid) {
            logKey(windowName(target), m_pending.key, m_pending.modifiers, m_pending.text,
                   QStringLiteral("shortcut"));
        } else if (!se->key().isEmpty()) {
            const QKeyCombination k = se->key()[0];
            logKey(windowName(target), k.key(), k.keyboardModifiers(), QString(),
                   QStringLiteral("shortcut"));
        }
        m_pending.valid = false;
        break;
    }
    case QEvent::KeyPress: {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (receiver->isWidgetType()) {
            if (m_widgetKeyDepth == 0) {
                m_pending.valid = false;
                logKey(windowName(static_cast<QWidget*>(receiver)), ke->key(), ke->modifiers(),
                       ke->text());
            }
            ++m_widgetKeyDepth;
            const bool result = QApplication::notify(receiver, event);
            --m_widgetKeyDepth;
            return result;
        }
        if (auto* window = qobject_cast<QWindow*>(receiver); window && m_widgetKeyDepth == 0) {
            // The window system's key for a whole window; the window hands it
            // on to one of its widgets, which logs it.
            const quint64 before = m_keysLogged;
            const bool result = QApplication::notify(receiver, event);
            if (m_keysLogged == before) {
                m_pending.valid = false;
                logKey(window->title(), ke->key(), ke->modifiers(), ke->text(),
                       QStringLiteral("not delivered"));
            }
            return result;
        }
        break;
    }
    case QEvent::Show:
    case QEvent::Hide: {
        if (!receiver->isWidgetType() || event->spontaneous())
            break;
        auto* w = static_cast<QWidget*>(receiver);
        if (!w->isWindow() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip)
            break;
        const bool shown = event->type() == QEvent::Show;
        log({shown ? QStringLiteral("shown") : QStringLiteral("hidden"), windowName(w)});
        const bool result = QApplication::notify(receiver, event);
        if (!shown)
            windowHidden(w);
        return result;
    }
    default:
        break;
    }
    return QApplication::notify(receiver, event);
}

} // namespace standin
