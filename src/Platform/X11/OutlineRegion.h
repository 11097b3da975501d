#pragma once

#include <QList>
#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QSizeF>

// What a window draws, as the rectangles of an X shape. An outline with curves becomes a stack of rows in
// device pixels: a pixel belongs to the shape when its centre lies inside an outline. Rows that cover the
// same columns are merged, so a capsule's straight middle is one rectangle.
namespace OutlineRegion {

// A rectangle with fully rounded ends: the shorter side is the diameter.
QPainterPath capsule(const QRectF& rect);

// The union of the outlines (logical pixels, window coordinates) as device-pixel rectangles, clipped to the
// window's size.
QList<QRect> toDeviceRows(const QList<QPainterPath>& outlines, QSizeF window, qreal devicePixelRatio);

} // namespace OutlineRegion
