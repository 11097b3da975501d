#include "Platform/Panel/BlurBehindWatch.h"

#include "Platform/X11/X11Connection.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

#include <algorithm>

namespace {

// More atoms than any window manager lists; a longer list is read only this far.
constexpr std::uint32_t supportedAtomsRead = 4096;

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
    m_blurAtom = X11::atom(connection, "_KDE_NET_WM_BLUR_BEHIND_REGION");
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
    xcb_connection_t* connection = X11::connection();
    const auto cookie =
        xcb_get_property(connection, 0, m_root, m_supportedAtom, XCB_ATOM_ATOM, 0, supportedAtomsRead);
    const X11::ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr),
                                                        &std::free);
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    return std::find(atoms, atoms + count, m_blurAtom) != atoms + count;
}

void BlurBehindWatch::update() {
    const bool active = m_compositor.isRunning() && isOffered();
    if (active == m_active)
        return;
    m_active = active;
    Q_EMIT activeChanged(active);
}
