#include "X11KeyQueue.h"

#include "ClassicApplication.h"
#include "EventLog.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <deque>
#include <vector>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
// Keysym names only (no Xlib).
#include <X11/keysym.h>
#endif

namespace classic {

#if QT_CONFIG(xcb)

namespace {

constexpr xcb_keysym_t NoKeysym = 0;
constexpr xcb_keysym_t UnicodeKeysymBase = 0x01000000;
// XKB event codes (xkb.h, not linked here): the keyboard or its map changed.
constexpr quint8 XkbNewKeyboardNotify = 0;
constexpr quint8 XkbMapNotify = 1;

// The character a keysym stands for, or 0.
char32_t characterOf(xcb_keysym_t sym)
{
    if ((sym >= 0x20 && sym <= 0x7e) || (sym >= 0xa0 && sym <= 0xff))
        return sym; // Latin-1 keysyms are the code points themselves
    if (sym >= UnicodeKeysymBase + 0x100 && sym <= UnicodeKeysymBase + 0x10ffff)
        return sym - UnicodeKeysymBase;
    return 0;
}

xcb_keysym_t keysymOf(char32_t c)
{
    return c <= 0xff ? c : UnicodeKeysymBase + c;
}

char32_t lower(char32_t c)
{
    return QChar::toLower(c);
}

char32_t upper(char32_t c)
{
    return QChar::toUpper(c);
}

struct Special
{
    xcb_keysym_t sym;
    int key;
    const char* text;
};

// The keys without a character that Qt names, with the text Qt gives them.
constexpr Special Specials[] = {
    {XK_BackSpace, Qt::Key_Backspace, "\b"},
    {XK_Tab, Qt::Key_Tab, "\t"},
    {XK_ISO_Left_Tab, Qt::Key_Backtab, "\t"},
    {XK_Return, Qt::Key_Return, "\r"},
    {XK_KP_Enter, Qt::Key_Enter, "\r"},
    {XK_Escape, Qt::Key_Escape, "\x1b"},
    {XK_Delete, Qt::Key_Delete, "\x7f"},
    {XK_Pause, Qt::Key_Pause, ""},
    {XK_Break, Qt::Key_Pause, ""},
    {XK_Print, Qt::Key_Print, ""},
    {XK_Insert, Qt::Key_Insert, ""},
    {XK_Home, Qt::Key_Home, ""},
    {XK_End, Qt::Key_End, ""},
    {XK_Left, Qt::Key_Left, ""},
    {XK_Up, Qt::Key_Up, ""},
    {XK_Right, Qt::Key_Right, ""},
    {XK_Down, Qt::Key_Down, ""},
    {XK_Prior, Qt::Key_PageUp, ""},
    {XK_Next, Qt::Key_PageDown, ""},
    {XK_Menu, Qt::Key_Menu, ""},
    {XK_Shift_L, Qt::Key_Shift, ""},
    {XK_Shift_R, Qt::Key_Shift, ""},
    {XK_Control_L, Qt::Key_Control, ""},
    {XK_Control_R, Qt::Key_Control, ""},
    {XK_Alt_L, Qt::Key_Alt, ""},
    {XK_Alt_R, Qt::Key_Alt, ""},
    {XK_Meta_L, Qt::Key_Meta, ""},
    {XK_Meta_R, Qt::Key_Meta, ""},
    {XK_Super_L, Qt::Key_Super_L, ""},
    {XK_Super_R, Qt::Key_Super_R, ""},
    {XK_Hyper_L, Qt::Key_Hyper_L, ""},
    {XK_Hyper_R, Qt::Key_Hyper_R, ""},
    {XK_Caps_Lock, Qt::Key_CapsLock, ""},
    {XK_Num_Lock, Qt::Key_NumLock, ""},
    {XK_Scroll_Lock, Qt::Key_ScrollLock, ""},
    {XK_ISO_Level3_Shift, Qt::Key_AltGr, ""},
    {XK_Mode_switch, Qt::Key_Mode_switch, ""},
};

// The server's keyboard map, read with the core protocol (which is how the
// wizard's keys are bound: a key code and, for a capital, Shift).
class KeyMap
{
public:
    explicit KeyMap(xcb_connection_t* connection) : m_connection(connection)
    {
        const char name[] = "XKEYBOARD";
        if (auto* reply = xcb_query_extension_reply(
                m_connection, xcb_query_extension(m_connection, sizeof name - 1, name), nullptr)) {
            if (reply->present)
                m_xkbEvent = reply->first_event;
            free(reply);
        }
        refresh();
    }

    // Whether event says the map has changed (so that keys after it read the
    // new map). XKB-aware clients, such as Qt, get XKB's notice instead of
    // the core one.
    bool isMapChange(const xcb_generic_event_t* event) const
    {
        const auto type = event->response_type & ~0x80;
        if (type == XCB_MAPPING_NOTIFY)
            return reinterpret_cast<const xcb_mapping_notify_event_t*>(event)->request !=
                   XCB_MAPPING_POINTER;
        if (m_xkbEvent != 0 && type == m_xkbEvent) {
            const quint8 xkbType = reinterpret_cast<const quint8*>(event)[1];
            return xkbType == XkbNewKeyboardNotify || xkbType == XkbMapNotify;
        }
        return false;
    }

    void refresh()
    {
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        m_min = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        m_syms.clear();
        m_perCode = 0;
        if (auto* reply = xcb_get_keyboard_mapping_reply(
                m_connection, xcb_get_keyboard_mapping(m_connection, m_min, count), nullptr)) {
            m_perCode = reply->keysyms_per_keycode;
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
            m_syms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(reply));
            free(reply);
        }
        m_alt = 0;
        m_meta = 0;
        m_lockIsCaps = false;
        if (auto* reply = xcb_get_modifier_mapping_reply(
                m_connection, xcb_get_modifier_mapping(m_connection), nullptr)) {
            const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply);
            const int per = reply->keycodes_per_modifier;
            for (int modifier = 0; modifier < 8; ++modifier) {
                for (int i = 0; i < per; ++i) {
                    const xcb_keycode_t code = codes[modifier * per + i];
                    for (int column = 0; code && column < m_perCode; ++column) {
                        const xcb_keysym_t sym = at(code, column);
                        if (sym == XK_Alt_L || sym == XK_Alt_R)
                            m_alt |= 1u << modifier;
                        else if (sym == XK_Super_L || sym == XK_Super_R)
                            m_meta |= 1u << modifier;
                        else if (sym == XK_Caps_Lock && modifier == 1)
                            m_lockIsCaps = true;
                    }
                }
            }
            free(reply);
        }
        if (m_alt == 0)
            m_alt = XCB_MOD_MASK_1;
        m_meta &= ~m_alt;
    }

    // The key code with the modifiers in state, as Qt names it.
    void translate(xcb_keycode_t code, quint16 state, WindowSystemKey* key) const
    {
        // The first group's two levels; a letter given only once has its
        // other case on the second level.
        xcb_keysym_t plain = at(code, 0);
        xcb_keysym_t shifted = at(code, 1);
        if (shifted == NoKeysym) {
            const char32_t c = characterOf(plain);
            if (c != 0 && lower(c) != upper(c)) {
                plain = keysymOf(lower(c));
                shifted = keysymOf(upper(c));
            } else {
                shifted = plain;
            }
        }
        const bool shift = state & XCB_MOD_MASK_SHIFT;
        xcb_keysym_t sym = shift ? shifted : plain;
        if (!shift && m_lockIsCaps && (state & XCB_MOD_MASK_LOCK)) {
            if (const char32_t c = characterOf(sym))
                sym = keysymOf(upper(c));
        }

        Qt::KeyboardModifiers modifiers;
        if (shift)
            modifiers |= Qt::ShiftModifier;
        if (state & XCB_MOD_MASK_CONTROL)
            modifiers |= Qt::ControlModifier;
        if (state & m_alt)
            modifiers |= Qt::AltModifier;
        if (state & m_meta)
            modifiers |= Qt::MetaModifier;

        key->key = Qt::Key_unknown;
        key->text.clear();
        if (const char32_t c = characterOf(sym)) {
            key->text = QString::fromUcs4(&c, 1);
            // Letters are named by their capital, as Qt does.
            const char32_t named = upper(c);
            key->key = static_cast<int>(c <= 0xff && named > 0xff ? c : named);
            if ((modifiers & Qt::ControlModifier) && c >= 0x40 && c < 0x80)
                key->text = QString(QChar(static_cast<ushort>(c & 0x1f)));
        } else {
            for (const Special& s : Specials) {
                if (s.sym == sym) {
                    key->key = s.key;
                    key->text = QString::fromLatin1(s.text);
                    break;
                }
            }
        }
        key->modifiers = modifiers;
        key->scanCode = code;
        key->nativeKey = sym;
        key->nativeModifiers = state;
    }

private:
    xcb_keysym_t at(xcb_keycode_t code, int column) const
    {
        if (code < m_min || column >= m_perCode)
            return NoKeysym;
        const std::size_t index = static_cast<std::size_t>((code - m_min) * m_perCode + column);
        return index < m_syms.size() ? m_syms[index] : NoKeysym;
    }

    xcb_connection_t* m_connection;
    quint8 m_xkbEvent = 0;
    xcb_keycode_t m_min = 8;
    int m_perCode = 0;
    std::vector<xcb_keysym_t> m_syms;
    quint16 m_alt = 0;
    quint16 m_meta = 0;
    bool m_lockIsCaps = false;
};

xcb_connection_t* applicationConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// "0x…[title]" for a window of this program (",closed" once it has gone).
QString nativeName(quintptr id)
{
    const auto windows = QGuiApplication::allWindows();
    for (QWindow* w : windows) {
        if (w->handle() && w->winId() == id) {
            QString title = w->title();
            if (auto* widget = QWidget::find(static_cast<WId>(id)))
                title = ClassicApplication::windowName(widget);
            return QStringLiteral("0x%1[%2%3]")
                .arg(id, 0, 16)
                .arg(title, w->isVisible() ? QString() : QStringLiteral(",hidden"));
        }
    }
    const auto* app = qobject_cast<ClassicApplication*>(qApp);
    return QStringLiteral("0x%1[%2,closed]")
        .arg(id, 0, 16)
        .arg(app ? app->formerTitle(id) : QString());
}

// What Qt thinks has the keyboard.
QString qtKeyboardState()
{
    QWindow* focus = QGuiApplication::focusWindow();
    return QStringLiteral("qt-focus=%1 active=%2 modal=%3 popup=%4")
        .arg(focus ? nativeName(focus->winId()) : QStringLiteral("-"),
             ClassicApplication::windowName(QApplication::activeWindow()),
             ClassicApplication::windowName(QApplication::activeModalWidget()),
             ClassicApplication::windowName(QApplication::activePopupWidget()));
}

// The X events that decide where keys go, as they arrive (TINDREL_KEY_TRACE).
class Tracer : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const auto type = event->response_type & ~0x80;
        switch (type) {
        case XCB_KEY_PRESS:
        case XCB_KEY_RELEASE: {
            const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
            trace(QStringLiteral("x %1 code=%2 state=0x%3 time=%4 to %5; %6")
                      .arg(type == XCB_KEY_PRESS ? "press" : "release")
                      .arg(key->detail)
                      .arg(key->state, 0, 16)
                      .arg(key->time)
                      .arg(nativeName(key->event), qtKeyboardState()));
            break;
        }
        case XCB_FOCUS_IN:
        case XCB_FOCUS_OUT: {
            const auto* focus = reinterpret_cast<const xcb_focus_in_event_t*>(event);
            trace(QStringLiteral("x focus-%1 %2 detail=%3 mode=%4; %5")
                      .arg(type == XCB_FOCUS_IN ? "in" : "out", nativeName(focus->event))
                      .arg(focus->detail)
                      .arg(focus->mode)
                      .arg(qtKeyboardState()));
            break;
        }
        case XCB_MAP_NOTIFY:
            trace(QStringLiteral("x map %1")
                      .arg(nativeName(
                          reinterpret_cast<const xcb_map_notify_event_t*>(event)->window)));
            break;
        case XCB_UNMAP_NOTIFY:
            trace(QStringLiteral("x unmap %1")
                      .arg(nativeName(
                          reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window)));
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

class X11KeyQueue : public QObject, public QAbstractNativeEventFilter
{
public:
    X11KeyQueue(xcb_connection_t* connection, X11Keys::Deliver deliver)
        : m_map(connection), m_deliver(deliver)
    {
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if (m_map.isMapChange(event)) {
            m_map.refresh();
            return false; // Qt reads the new map as well
        }
        const auto type = event->response_type & ~0x80;
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            return false;
        const auto* x = reinterpret_cast<const xcb_key_press_event_t*>(event);
        WindowSystemKey key;
        key.type = type == XCB_KEY_PRESS ? QEvent::KeyPress : QEvent::KeyRelease;
        key.addressedTo = x->event;
        m_map.translate(x->detail, x->state, &key);
        m_keys.push_back(key);
        schedule();
        return true; // taken from Qt: it goes out in its turn
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != nextKeyEvent())
            return QObject::event(event);
        m_scheduled = false;
        if (!m_keys.empty()) {
            const WindowSystemKey key = m_keys.front();
            m_keys.pop_front();
            m_deliver(key);
            // Anything the key's handling has left for later (posted before
            // this) is done before the next key.
            if (!m_keys.empty())
                schedule();
        }
        return true;
    }

private:
    static QEvent::Type nextKeyEvent()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    void schedule()
    {
        if (m_scheduled)
            return;
        m_scheduled = true;
        QCoreApplication::postEvent(this, new QEvent(nextKeyEvent()));
    }

    KeyMap m_map;
    X11Keys::Deliver m_deliver;
    std::deque<WindowSystemKey> m_keys;
    bool m_scheduled = false;
};

X11Keys::X11Keys(Deliver deliver)
{
    xcb_connection_t* connection = applicationConnection();
    if (!connection)
        return;
    m_queue = std::make_unique<X11KeyQueue>(connection, deliver);
    qApp->installNativeEventFilter(m_queue.get());
    if (tracing()) {
        // Installed last, so it sees each event first.
        m_tracer = std::make_unique<Tracer>();
        qApp->installNativeEventFilter(m_tracer.get());
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, m_queue.get(), [](QWindow* w) {
            trace(QStringLiteral("qt focus window %1")
                      .arg(w ? nativeName(w->winId()) : QStringLiteral("-")));
        });
    }
}

X11Keys::~X11Keys()
{
    if (m_tracer)
        qApp->removeNativeEventFilter(m_tracer.get());
    if (m_queue)
        qApp->removeNativeEventFilter(m_queue.get());
}

#else

class X11KeyQueue
{
};

X11Keys::X11Keys(Deliver) {}
X11Keys::~X11Keys() = default;

#endif

} // namespace classic
