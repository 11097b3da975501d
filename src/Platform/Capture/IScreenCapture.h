#pragma once

#include <QImage>
#include <QRect>

// What the screens show now, read back as pixels: the image of the whole screen that a compositing manager
// keeps (what screenshot tools read). Our own windows that are on screen are part of it.
class IScreenCapture {
public:
    virtual ~IScreenCapture() = default;
    // The pixels shown in `area` (global, logical pixels), at the screen's pixel density; the part of `area`
    // off every screen is left out. Null when nothing can be read.
    virtual QImage grab(const QRect& area) = 0;
};
