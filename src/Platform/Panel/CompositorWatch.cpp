#include "Platform/Panel/CompositorWatch.h"

#include "Platform/X11/X11Connection.h"

#include <QCoreApplication>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <memory>

namespace {

// XFixes must be asked for its version before it is used; the answer tells whether it is there.
bool useXFixes(xcb_connection_t* connection) {
    const X11::ReplyPtr<xcb_xfixes_query_version_reply_t> reply(
        xcb_xfixes_query_version_reply(
            connection,
            xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr),
        &std::free);
    return reply != nullptr;
}

} // namespace

CompositorWatch::CompositorWatch(QObject* parent)
    : QObject(parent) {
    xcb_connection_t* connection = X11::connection();
    if (!connection)
        return;
    const int screenNumber = X11::screenNumber();
    m_selection = X11::atom(connection, "_NET_WM_CM_S" + QByteArray::number(screenNumber));
    m_running = X11::hasSelectionOwner(connection, m_selection);
    const xcb_screen_t* screen = X11::screen(connection, screenNumber);
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!screen || !xfixes || !xfixes->present || !useXFixes(connection))
        return;
    m_selectionNotify = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    xcb_xfixes_select_selection_input(connection, screen->root, m_selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
    // The owner may have changed between the first look and the selection of events.
    m_running = X11::hasSelectionOwner(connection, m_selection);
}

CompositorWatch::~CompositorWatch() {
    if (m_selectionNotify >= 0 && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool CompositorWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != m_selectionNotify)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection != m_selection)
        return false;
    const bool running =
        notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && notify->owner != XCB_NONE;
    if (running != m_running) {
        m_running = running;
        // Told from the event loop, not from inside the X event being dispatched.
        QMetaObject::invokeMethod(
            this, [this, running] { Q_EMIT runningChanged(running); }, Qt::QueuedConnection);
    }
    return false;
}
