#include "Platform/Capture/X11ScreenCapture.h"

#include "Platform/X11/X11Connection.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSysInfo>

#include <cstring>

namespace {

qreal pixelRatioAt(const QRect& area) {
    const QScreen* screen = QGuiApplication::screenAt(area.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

const xcb_visualtype_t* visualOf(const xcb_screen_t* screen, xcb_visualid_t visual) {
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals))
            if (visuals.data->visual_id == visual)
                return visuals.data;
    }
    return nullptr;
}

// 32 bits a pixel, blue in the lowest byte, as a little-endian QImage::Format_RGB32 lays it out.
bool readsAsRgb32(xcb_connection_t* connection, const xcb_screen_t* screen,
                  const xcb_get_image_reply_t& reply) {
    const xcb_visualtype_t* visual = visualOf(screen, reply.visual);
    return (reply.depth == 24 || reply.depth == 32) && visual &&
           visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR && visual->red_mask == 0xFF0000 &&
           visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF &&
           xcb_get_setup(connection)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST &&
           QSysInfo::ByteOrder == QSysInfo::LittleEndian;
}

// The reply's pixels, opaque; null unless it holds exactly the rows asked for.
QImage imageFrom(const xcb_get_image_reply_t& reply, QSize size) {
    const qsizetype rowBytes = qsizetype(size.width()) * 4;
    if (xcb_get_image_data_length(&reply) != rowBytes * size.height())
        return {};
    QImage image(size, QImage::Format_RGB32);
    const uint8_t* data = xcb_get_image_data(&reply);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        std::memcpy(line, data + y * rowBytes, std::size_t(rowBytes));
        for (int x = 0; x < size.width(); ++x)
            line[x] |= 0xFF000000u;
    }
    return image;
}

} // namespace

QImage X11ScreenCapture::grab(const QRect& area) {
    xcb_connection_t* connection = X11::connection();
    const xcb_screen_t* screen = connection ? X11::screen(connection, X11::screenNumber()) : nullptr;
    if (!screen)
        return {};
    const qreal ratio = pixelRatioAt(area);
    const QRect device = QRect(QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio).toRect())
                             .intersected(QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels));
    if (device.isEmpty() || qint64(device.width()) * device.height() > maxPixels)
        return {};
    const auto cookie =
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, qint16(device.x()),
                      qint16(device.y()), quint16(device.width()), quint16(device.height()), ~0u);
    const X11::ReplyPtr<xcb_get_image_reply_t> reply(xcb_get_image_reply(connection, cookie, nullptr),
                                                     &std::free);
    if (!reply || !readsAsRgb32(connection, screen, *reply))
        return {};
    QImage image = imageFrom(*reply, device.size());
    image.setDevicePixelRatio(ratio);
    return image;
}
