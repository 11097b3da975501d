#pragma once

#include <QList>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QVariant>

// The part of the panel window that takes pointer input, in the window's own coordinates. While the panel is
// closed that is the hover zone and the compact bar's items; while it is expanded, the whole band.
namespace PanelInputRegion {

QList<QRectF> logicalRects(bool expanded, QSizeF band, const QRectF& hoverZone,
                           const QList<QRectF>& itemRects);

// Device-pixel rectangles for the X server: scaled by the ratio, rounded outwards, clipped to the band,
// empty ones dropped.
QList<QRect> toDevicePixels(const QList<QRectF>& logical, QSizeF band, qreal devicePixelRatio);

// Reads the rectangles QML reports: a JS array (or list) whose entries are rects or {x, y, width, height}
// objects. Anything else is skipped.
QList<QRectF> rectsFromQml(const QVariant& value);

} // namespace PanelInputRegion
