#include "Platform/Panel/BlurBehindWatch.h"

#include "Platform/X11/X11Connection.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

namespace {

// Adds property changes to what this client hears from the root, keeping what Qt already asked for.
void listenToRootProperties(xcb_connection_t* connection, xcb_window_t root) {
    const X11::ReplyPtr<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, root), nullptr),
        &std::free);
    const std::uint32_t mask =
        (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}

} // namespace

BlurBehindWatch::BlurBehindWatch(const CompositorWatch& compositor, QObject* parent)
    : QObject(parent)
    , m_compositor(compositor) {
    xcb_connection_t* connection = X11::connection();
    if (!connection)
        return;
    const xcb_screen_t* screen = X11::screen(connection, X11::screenNumber());
    if (!screen)
        return;
    m_root = screen->root;
    m_supportedAtom = X11::atom(connection, "_NET_SUPPORTED");
    listenToRootProperties(connection, m_root);
    QCoreApplication::instance()->installNativeEventFilter(this);
    connect(&compositor, &CompositorWatch::runningChanged, this, &BlurBehindWatch::update);
    m_active = m_compositor.isRunning() && isOffered();
}

BlurBehindWatch::~BlurBehindWatch() {
    if (m_root != XCB_NONE && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool BlurBehindWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (notify->window == m_root && notify->atom == m_supportedAtom) {
        // Read again from the event loop, not from inside the X event being dispatched.
        QMetaObject::invokeMethod(this, &BlurBehindWatch::update, Qt::QueuedConnection);
    }
    return false;
}

bool BlurBehindWatch::isOffered() const {
    return X11::blurBehindOffered(X11::connection(), m_root);
}

void BlurBehindWatch::update() {
    const bool active = m_compositor.isRunning() && isOffered();
    if (active == m_active)
        return;
    m_active = active;
    Q_EMIT activeChanged(active);
}
