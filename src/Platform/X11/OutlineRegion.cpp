#include "Platform/X11/OutlineRegion.h"

#include <QPolygonF>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace OutlineRegion {

QPainterPath capsule(const QRectF& rect) {
    const qreal radius = std::min(rect.width(), rect.height()) / 2;
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

namespace {

// Where the polygon's edges cross the horizontal line at y, left to right.
QList<qreal> crossings(const QPolygonF& polygon, qreal y) {
    QList<qreal> xs;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const QPointF a = polygon[i];
        const QPointF b = polygon[(i + 1) % polygon.size()];
        if ((a.y() <= y) != (b.y() <= y))
            xs.append(a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
    }
    std::sort(xs.begin(), xs.end());
    return xs;
}

// The spans of the row of pixels at y whose centres lie inside the polygon. Pairs of crossings enclose the
// inside: the outlines drawn here never cross themselves.
QList<QRect> rowSpans(const QPolygonF& polygon, int y, const QRect& bounds) {
    const QList<qreal> xs = crossings(polygon, y + 0.5);
    QList<QRect> spans;
    for (qsizetype i = 0; i + 1 < xs.size(); i += 2) {
        const int left = std::max(bounds.left(), int(std::ceil(xs[i] - 0.5)));
        const int right = std::min(bounds.right() + 1, int(std::ceil(xs[i + 1] - 0.5)));
        if (right > left)
            spans.append(QRect(left, y, right - left, 1));
    }
    return spans;
}

bool sameColumns(const QList<QRect>& a, const QList<QRect>& b) {
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const QRect& left, const QRect& right) {
        return left.left() == right.left() && left.width() == right.width();
    });
}

// One closed polygon (device pixels) inside the bounds, as bands of rows that cover the same columns.
QRegion polygonRows(const QPolygonF& polygon, const QRect& bounds) {
    const QRectF extent = polygon.boundingRect();
    const int top = std::max(bounds.top(), int(std::floor(extent.top())));
    const int bottom = std::min(bounds.bottom(), int(std::ceil(extent.bottom())));
    QList<QRect> bands;
    QList<QRect> band;
    for (int y = top; y <= bottom; ++y) {
        const QList<QRect> spans = rowSpans(polygon, y, bounds);
        if (!band.isEmpty() && sameColumns(spans, band)) {
            for (QRect& span : band)
                span.setHeight(span.height() + 1);
            continue;
        }
        bands.append(band);
        band = spans;
    }
    bands.append(band);
    QRegion region;
    region.setRects(bands.constData(), int(bands.size()));
    return region;
}

} // namespace

QList<QRect> toDeviceRows(const QList<QPainterPath>& outlines, QSizeF window, qreal devicePixelRatio) {
    const QRect bounds(0, 0, int(std::ceil(window.width() * devicePixelRatio)),
                       int(std::ceil(window.height() * devicePixelRatio)));
    const QTransform toDevice = QTransform::fromScale(devicePixelRatio, devicePixelRatio);
    QRegion region;
    for (const QPainterPath& outline : outlines)
        for (const QPolygonF& polygon : outline.toSubpathPolygons(toDevice))
            region += polygonRows(polygon, bounds);
    return {region.begin(), region.end()};
}

} // namespace OutlineRegion
