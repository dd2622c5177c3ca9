#include "WindowPlaces.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace session {

bool tilingCompositor()
{
    return !qEnvironmentVariableIsEmpty("SWAYSOCK");
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

// Tells the window where the X server has it, when Qt takes it for elsewhere.
void tellRealPlace(xcb_connection_t* connection, QWindow* window)
{
    const xcb_window_t id = static_cast<xcb_window_t>(window->winId());
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), &std::free);
    if (!geometry)
        return;
    const Reply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, id, geometry->root, 0, 0), nullptr),
        &std::free);
    if (!origin || window->position() == QPoint(origin->dst_x, origin->dst_y))
        return;
    // The window manager's notice of a move (sent, in root coordinates).
    xcb_configure_notify_event_t notice = {};
    notice.response_type = XCB_CONFIGURE_NOTIFY;
    notice.event = id;
    notice.window = id;
    notice.above_sibling = XCB_NONE;
    notice.x = origin->dst_x;
    notice.y = origin->dst_y;
    notice.width = geometry->width;
    notice.height = geometry->height;
    notice.border_width = geometry->border_width;
    xcb_send_event(connection, false, id, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&notice));
    xcb_flush(connection);
}

class PlaceKeeper : public QObject
{
public:
    PlaceKeeper(QGuiApplication& application, xcb_connection_t* connection)
        : QObject(&application), m_connection(connection)
    {
        application.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto type = event->type();
        if (type != QEvent::Move && type != QEvent::Show)
            return false;
        // A widget's move reaches the widget; one the platform reports, its window.
        QWindow* window = qobject_cast<QWindow*>(watched);
        if (!window && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
            window = static_cast<QWidget*>(watched)->windowHandle();
        if (!window || !window->isTopLevel() || window->type() == Qt::Popup ||
            window->type() == Qt::ToolTip)
            return false;
        // Once Qt has sent what it asks for: the compositor has the request.
        QTimer::singleShot(0, this, [this, w = QPointer<QWindow>(window)] {
            if (w && w->isVisible() && w->handle())
                tellRealPlace(m_connection, w);
        });
        return false;
    }

private:
    xcb_connection_t* m_connection;
};

} // namespace

void keepWindowPlacesTrue(QGuiApplication& application)
{
    if (!tilingCompositor())
        return;
    auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection())
        new PlaceKeeper(application, x11->connection());
}

#else

void keepWindowPlacesTrue(QGuiApplication&) {}

#endif

} // namespace session
