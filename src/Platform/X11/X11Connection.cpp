#include "Platform/X11/X11Connection.h"

#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/shape.h>

#include <algorithm>
#include <vector>

namespace X11 {

namespace {

// More atoms than any window manager lists; a longer list is read only this far.
constexpr std::uint32_t supportedAtomsRead = 4096;

} // namespace

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

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name) {
    const auto cookie = xcb_intern_atom(connection, 0, std::uint16_t(name.size()), name.constData());
    const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                                  &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

// An atom keeps its number for as long as the X server runs, so the ones of Qt's connection, which lasts as
// long as the process, are asked for once. Other connections (a test's own) ask each time.
xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name) {
    if (connection != X11::connection())
        return internAtom(connection, name);
    static QMutex guard;
    static QHash<QByteArray, xcb_atom_t> known;
    const QMutexLocker lock(&guard);
    const auto found = known.constFind(name);
    if (found != known.cend())
        return *found;
    const xcb_atom_t interned = internAtom(connection, name);
    if (interned != XCB_ATOM_NONE)
        known.insert(name, interned);
    return interned;
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

bool blurBehindOffered(xcb_connection_t* connection, xcb_window_t root) {
    const auto cookie = xcb_get_property(connection, 0, root, atom(connection, "_NET_SUPPORTED"),
                                         XCB_ATOM_ATOM, 0, supportedAtomsRead);
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr),
                                                   &std::free);
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    const xcb_atom_t blur = atom(connection, "_KDE_NET_WM_BLUR_BEHIND_REGION");
    return blur != XCB_ATOM_NONE && std::find(atoms, atoms + count, blur) != atoms + count;
}

void setBlurBehindRegion(xcb_connection_t* connection, xcb_window_t window, const QList<QRect>& region) {
    const xcb_atom_t property = atom(connection, "_KDE_NET_WM_BLUR_BEHIND_REGION");
    if (region.isEmpty()) {
        xcb_delete_property(connection, window, property);
        return;
    }
    std::vector<std::uint32_t> values;
    values.reserve(std::size_t(region.size()) * 4);
    for (const QRect& rect : region)
        values.insert(values.end(), {std::uint32_t(rect.x()), std::uint32_t(rect.y()),
                                     std::uint32_t(rect.width()), std::uint32_t(rect.height())});
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_CARDINAL, 32,
                        std::uint32_t(values.size()), values.data());
}

void setShape(xcb_connection_t* connection, xcb_window_t window, std::uint8_t kind,
              const QList<QRect>& rects) {
    std::vector<xcb_rectangle_t> shape;
    shape.reserve(std::size_t(rects.size()));
    for (const QRect& rect : rects)
        shape.push_back({std::int16_t(rect.x()), std::int16_t(rect.y()), std::uint16_t(rect.width()),
                         std::uint16_t(rect.height())});
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED, window, 0, 0,
                         std::uint32_t(shape.size()), shape.data());
}

void clearShape(xcb_connection_t* connection, xcb_window_t window, std::uint8_t kind) {
    xcb_shape_mask(connection, XCB_SHAPE_SO_SET, kind, window, 0, 0, XCB_NONE);
}

} // namespace X11
