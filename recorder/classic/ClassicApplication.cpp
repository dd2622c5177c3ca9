#include "ClassicApplication.h"

#include "EventLog.h"
#include "X11KeyQueue.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QShortcutEvent>
#include <QWindow>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace classic {

namespace {

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace

void handKeyboardToOwner(QWidget* dialog)
{
    if (!dialog->isVisible() || QApplication::activeWindow() != dialog)
        return;
    QWidget* owner = nullptr;
    for (QWidget* w = dialog->parentWidget(); w && !owner; w = w->parentWidget()) {
        w = w->window();
        if (w->isVisible() && !w->isMinimized())
            owner = w;
    }
    if (!owner)
        return;
#if QT_CONFIG(xcb)
    if (onX11()) {
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 && x11->connection()) {
            // Queued before the request that unmaps the dialog, on the same
            // connection: the server moves the focus first.
            trace(QStringLiteral("focus to %1, the owner of %2")
                      .arg(ClassicApplication::windowName(owner),
                           ClassicApplication::windowName(dialog)));
            xcb_set_input_focus(x11->connection(), XCB_INPUT_FOCUS_PARENT,
                                static_cast<xcb_window_t>(owner->winId()), XCB_CURRENT_TIME);
            return;
        }
    }
#endif
    owner->activateWindow();
}

ClassicApplication::ClassicApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    installEventFilter(this);
    m_x11Keys = std::make_unique<X11Keys>([](const WindowSystemKey& key) {
        static_cast<ClassicApplication*>(qApp)->deliverKey(key);
    });
}

ClassicApplication::~ClassicApplication() = default;

QString ClassicApplication::windowName(const QWidget* window)
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

bool ClassicApplication::isModifierKey(int key)
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

QString ClassicApplication::keyName(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == 0 || key == Qt::Key_unknown)
        return QStringLiteral("(unknown)");
    const auto mods =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return QKeySequence(QKeyCombination(mods, Qt::Key(key))).toString(QKeySequence::PortableText);
}

QWidget* ClassicApplication::keyboardOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible())
        return modal;
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    QWidget* any = nullptr;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (!w->isVisible() || w->isMinimized() || w->windowType() == Qt::Popup ||
            w->windowType() == Qt::ToolTip)
            continue;
        if (qobject_cast<QMainWindow*>(w))
            return w;
        if (!any)
            any = w;
    }
    return any;
}

void ClassicApplication::logKey(const QString& window, int key, Qt::KeyboardModifiers modifiers,
                                const QString& text, const QString& note)
{
    if (isModifierKey(key))
        return;
    QStringList fields{QStringLiteral("key"), window, keyName(key, modifiers), text};
    if (!note.isEmpty())
        fields << note;
    log(fields);
}

QWidget* ClassicApplication::closedWindowOf(QObject* receiver)
{
    QWidget* window = nullptr;
    if (receiver->isWidgetType()) {
        window = static_cast<QWidget*>(receiver)->window();
    } else if (auto* handle = qobject_cast<QWindow*>(receiver)) {
        if (handle->isVisible())
            return nullptr;
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* w : windows) {
            if (w->windowHandle() == handle)
                window = w;
        }
    }
    if (!window || window->isVisible() || window->windowType() == Qt::Popup)
        return nullptr;
    return window;
}

QWidget* ClassicApplication::keyReceiver()
{
    if (QWidget* grabber = QWidget::keyboardGrabber())
        return grabber;
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    QWidget* owner = keyboardOwner();
    if (!owner)
        return nullptr;
    // The window that has the keyboard is the active one, so that its
    // shortcuts and mnemonics apply, even while the window manager is still
    // giving it the focus.
    if (QApplication::activeWindow() != owner)
        QApplication::setActiveWindow(owner);
    return owner->focusWidget() ? owner->focusWidget() : owner;
}

void ClassicApplication::handOn(QWidget* closed, const QKeyEvent* key)
{
    QWidget* owner = keyboardOwner();
    if (!owner)
        return;
    logRedirect(windowName(closed), windowName(owner));
    if (QWidget* to = keyReceiver())
        sendKey(to, *key);
}

void ClassicApplication::deliverKey(const WindowSystemKey& key)
{
    QWidget* to = keyReceiver();
    if (tracing()) {
        trace(QStringLiteral("deliver %1 %2 (addressed to 0x%3) to %4 in %5")
                  .arg(key.type == QEvent::KeyPress ? "press" : "release",
                       keyName(key.key, key.modifiers))
                  .arg(key.addressedTo, 0, 16)
                  .arg(to ? QString::fromLatin1(to->metaObject()->className())
                          : QStringLiteral("nothing"),
                       windowName(to)));
    }
    if (!to)
        return; // no window left to take it
    QKeyEvent event(key.type, key.key, key.modifiers, key.scanCode, key.nativeKey,
                    key.nativeModifiers, key.text);
    if (key.type == QEvent::KeyPress) {
        noteAddressee(key.addressedTo, to->window());
        sendKey(to, event);
    } else {
        QCoreApplication::sendEvent(to, &event);
    }
}

void ClassicApplication::sendKey(QWidget* to, const QKeyEvent& key)
{
    // Sent, not posted: Qt tries shortcuts before it delivers a key press that
    // does not come from the window system, as for one that does. The key is
    // logged where it ends up.
    QKeyEvent copy(QEvent::KeyPress, key.key(), key.modifiers(), key.nativeScanCode(),
                   key.nativeVirtualKey(), key.nativeModifiers(), key.text(), key.isAutoRepeat(),
                   key.count());
    m_handedOn = {true, key.key(), key.modifiers(), key.text(), nullptr};
    m_handingOn = true;
    QCoreApplication::sendEvent(to, &copy);
    m_handingOn = false;
    m_handedOn.valid = false;
}

void ClassicApplication::noteAddressee(quintptr nativeWindow, QWidget* window)
{
    if (nativeWindow == 0)
        return;
    QString addressed;
    QWidget* widget = QWidget::find(static_cast<WId>(nativeWindow));
    if (widget && widget->isVisible()) {
        widget = widget->window();
        // A menu takes the keys of its window and hands the keyboard back.
        if (widget == window || widget->windowType() == Qt::Popup ||
            window->windowType() == Qt::Popup)
            return;
        addressed = windowName(widget);
    } else {
        addressed = widget ? windowName(widget) : m_titles.value(nativeWindow);
    }
    const QString name = windowName(window);
    if (!addressed.isEmpty() && addressed != name)
        logRedirect(addressed, name);
}

void ClassicApplication::logRedirect(const QString& closed, const QString& owner)
{
    const QString line = closed + QLatin1Char('\t') + owner;
    if (line == m_lastRedirect)
        return;
    m_lastRedirect = line;
    log({QStringLiteral("redirected"), closed, owner});
}

bool ClassicApplication::eventFilter(QObject* watched, QEvent* event)
{
    // Application filters see a key press just before a widget gets it.
    if (event->type() == QEvent::KeyPress && m_handedOn.valid && watched->isWidgetType()) {
        m_handedOn.valid = false;
        logKey(windowName(static_cast<QWidget*>(watched)), m_handedOn.key, m_handedOn.modifiers,
               m_handedOn.text);
    }
    return QApplication::eventFilter(watched, event);
}

void ClassicApplication::windowHidden(QWidget* window)
{
    // Where the window system does not hand the keyboard on by itself (no
    // window manager, the offscreen platform), the owner takes it back here.
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible() || owner->isMinimized())
        return;
    QWidget* active = QApplication::activeWindow();
    if (active == nullptr || active == window)
        owner->activateWindow();
}

bool ClassicApplication::notify(QObject* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (m_widgetKeyDepth == 0 && closedWindowOf(receiver)) {
            // No shortcut of the closed window: the press that follows is
            // handed on, and shortcuts are tried where it goes.
            event->accept();
            return true;
        }
        // Sent for each key press before shortcuts are tried (to the window,
        // which passes it to its focused widget); the press itself follows
        // unless a shortcut takes the key.
        if (m_widgetKeyDepth == 0 && receiver->isWidgetType()) {
            const auto* ke = static_cast<QKeyEvent*>(event);
            m_pending = {true, ke->key(), ke->modifiers(), ke->text(), receiver};
        }
        break;
    case QEvent::Shortcut: {
        const auto* se = static_cast<QShortcutEvent*>(event);
        const QWidget* target =
            receiver->isWidgetType() ? static_cast<QWidget*>(receiver) : nullptr;
        if (!target && m_pending.receiver)
            target = static_cast<QWidget*>(m_pending.receiver.data());
        if (m_handedOn.valid) {
            m_handedOn.valid = false;
            logKey(windowName(target), m_handedOn.key, m_handedOn.modifiers, m_handedOn.text,
                   QStringLiteral("shortcut"));
        } else if (m_pending.valid) {
            logKey(windowName(target), m_pending.key, m_pending.modifiers, m_pending.text,
                   QStringLiteral("shortcut"));
        } else if (!se->key().isEmpty()) {
            const QKeyCombination k = se->key()[0];
            logKey(windowName(target), k.key(), k.keyboardModifiers(), QString(),
                   QStringLiteral("shortcut"));
        }
        m_pending.valid = false;
        // A button's mnemonic clicks it now, before the next key is read (Qt
        // animates the click and clicks 100 ms later, after keys that follow).
        if (auto* button = qobject_cast<QAbstractButton*>(receiver); button && !se->isAmbiguous()) {
            button->click();
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (m_widgetKeyDepth == 0) {
            if (QWidget* closed = closedWindowOf(receiver)) {
                m_pending.valid = false;
                handOn(closed, static_cast<QKeyEvent*>(event));
                return true;
            }
        }
        // The window system's key goes to a window first, which hands it to
        // one of its widgets (or the open menu): logged there, once.
        if (receiver->isWidgetType()) {
            if (m_widgetKeyDepth == 0 && !m_handingOn) {
                const auto* ke = static_cast<QKeyEvent*>(event);
                m_pending.valid = false;
                logKey(windowName(static_cast<QWidget*>(receiver)), ke->key(), ke->modifiers(),
                       ke->text());
            }
            ++m_widgetKeyDepth;
            const bool result = QApplication::notify(receiver, event);
            --m_widgetKeyDepth;
            return result;
        }
        break;
    case QEvent::Show:
    case QEvent::Hide: {
        if (!receiver->isWidgetType() || event->spontaneous())
            break;
        auto* w = static_cast<QWidget*>(receiver);
        if (!w->isWindow())
            break;
        const bool shown = event->type() == QEvent::Show;
        if (w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip) {
            const bool result = QApplication::notify(receiver, event);
            if (shown && w->windowHandle() && w->windowHandle()->handle())
                m_titles.insert(static_cast<quintptr>(w->winId()), windowName(w));
            return result;
        }
        log({shown ? QStringLiteral("shown") : QStringLiteral("hidden"), windowName(w)});
        const bool result = QApplication::notify(receiver, event);
        if (shown && w->windowHandle() && w->windowHandle()->handle())
            m_titles.insert(static_cast<quintptr>(w->winId()), windowName(w));
        if (!shown)
            windowHidden(w);
        return result;
    }
    default:
        break;
    }
    return QApplication::notify(receiver, event);
}

} // namespace classic
