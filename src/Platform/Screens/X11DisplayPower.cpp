#include "Platform/Screens/X11DisplayPower.h"

#include "Platform/X11/X11Connection.h"

#include <xcb/dpms.h>

bool X11DisplayPower::screensOff() const {
    xcb_connection_t* connection = X11::connection();
    if (!connection)
        return false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_dpms_id);
    if (!extension || !extension->present)
        return false;
    const X11::ReplyPtr<xcb_dpms_info_reply_t> info(
        xcb_dpms_info_reply(connection, xcb_dpms_info(connection), nullptr), &std::free);
    return info && info->state && info->power_level != XCB_DPMS_DPMS_MODE_ON;
}
