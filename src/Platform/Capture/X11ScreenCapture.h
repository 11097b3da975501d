#pragma once

#include "Platform/Capture/IScreenCapture.h"

// Reads the X root window's image over Qt's own connection. Only a 24- or 32-bit true-colour root in the
// usual red, green, blue layout is read; any other answer gives a null image. Off X11 there is nothing to
// read.
class X11ScreenCapture final : public IScreenCapture {
public:
    // Larger areas are not read: 8K by 4K, every monitor of a large desk.
    static constexpr qint64 maxPixels = qint64(7680) * 4320;

    QImage grab(const QRect& area) override;
};
