#include "Platform/X11/X11Connection.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <vector>

namespace X11 {

xcb_connection_t* connection() {
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

bool displayReachable() {
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(probe) == 0;
    xcb_disconnect(probe);
    return reachable;
}

xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name) {
    const auto cookie = xcb_intern_atom(connection, 0, std::uint16_t(name.size()), name.constData());
    const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                                  &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

int screenNumber() {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    const bool parsed = xcb_parse_display(nullptr, &host, &display, &screen) != 0;
    std::free(host);
    return parsed ? screen : 0;
}

xcb_screen_t* screen(xcb_connection_t* connection, int number) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; screens.rem > 0; --number, xcb_screen_next(&screens)) {
        if (number == 0)
            return screens.data;
    }
    return nullptr;
}

bool hasSelectionOwner(xcb_connection_t* connection, xcb_atom_t selection) {
    const ReplyPtr<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr),
        &std::free);
    return reply && reply->owner != XCB_NONE;
}

bool compositorRunning(xcb_connection_t* connection) {
    return hasSelectionOwner(connection,
                             atom(connection, "_NET_WM_CM_S" + QByteArray::number(screenNumber())));
}

void showOnAllDesktops(xcb_connection_t* connection, xcb_window_t window) {
    const std::uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom(connection, "_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
}

void setWindowStates(xcb_connection_t* connection, xcb_window_t window, const QList<QByteArray>& states) {
    std::vector<xcb_atom_t> atoms;
    for (const QByteArray& state : states)
        atoms.push_back(atom(connection, state));
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom(connection, "_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, std::uint32_t(atoms.size()), atoms.data());
}

} // namespace X11
