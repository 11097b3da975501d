#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

// The pieces of X11 plumbing the windows and watchers share: Qt's own xcb connection, atoms, the screen
// number, selection owners and the EWMH hints set on our windows.
namespace X11 {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// Qt's connection, or null when the application does not run on X11.
xcb_connection_t* connection();

// Whether the display named by $DISPLAY accepts a connection; callable before Qt starts.
bool displayReachable();

xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name);

// The screen named by $DISPLAY; 0 when it names none.
int screenNumber();

// The connection's screen of that number, or null.
xcb_screen_t* screen(xcb_connection_t* connection, int number);

bool hasSelectionOwner(xcb_connection_t* connection, xcb_atom_t selection);

// Whether a compositing manager owns the screen's _NET_WM_CM_Sn selection.
bool compositorRunning(xcb_connection_t* connection);

// _NET_WM_DESKTOP = all desktops.
void showOnAllDesktops(xcb_connection_t* connection, xcb_window_t window);

// Replaces _NET_WM_STATE with the named states (e.g. "_NET_WM_STATE_ABOVE").
void setWindowStates(xcb_connection_t* connection, xcb_window_t window, const QList<QByteArray>& states);

// Whether the window manager's "_NET_SUPPORTED" on that root lists "_KDE_NET_WM_BLUR_BEHIND_REGION": the
// compositor then blurs what lies behind the regions windows name.
bool blurBehindOffered(xcb_connection_t* connection, xcb_window_t root);

// Asks the compositor to blur behind these rectangles of the window (device pixels), or withdraws the request
// when there are none: an empty property would blur the whole window.
void setBlurBehindRegion(xcb_connection_t* connection, xcb_window_t window, const QList<QRect>& region);

// Sets the window's bounding or input shape (XCB_SHAPE_SK_BOUNDING, XCB_SHAPE_SK_INPUT) to these device-pixel
// rectangles; none leaves that part of the window empty.
void setShape(xcb_connection_t* connection, xcb_window_t window, std::uint8_t kind,
              const QList<QRect>& rects);

// Removes the window's shape of that kind: the whole window counts again.
void clearShape(xcb_connection_t* connection, xcb_window_t window, std::uint8_t kind);

} // namespace X11
