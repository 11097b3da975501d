#include "Platform/Panel/PanelInputRegion.h"

#include <QJSValue>
#include <QVariantMap>

#include <cmath>
#include <optional>

namespace PanelInputRegion {

QList<QRectF> logicalRects(bool expanded, QSizeF band, const QRectF& hoverZone,
                           const QList<QRectF>& itemRects) {
    if (expanded)
        return {QRectF(QPointF(0, 0), band)};
    QList<QRectF> rects{hoverZone};
    rects.append(itemRects);
    return rects;
}

QList<QRect> toDevicePixels(const QList<QRectF>& logical, QSizeF band, qreal devicePixelRatio) {
    const QRectF bounds(QPointF(0, 0), band);
    QList<QRect> device;
    for (const QRectF& rect : logical) {
        const QRectF clipped = rect.intersected(bounds);
        if (clipped.isEmpty())
            continue;
        const int left = int(std::floor(clipped.left() * devicePixelRatio));
        const int top = int(std::floor(clipped.top() * devicePixelRatio));
        const int right = int(std::ceil((clipped.left() + clipped.width()) * devicePixelRatio));
        const int bottom = int(std::ceil((clipped.top() + clipped.height()) * devicePixelRatio));
        device.append(QRect(left, top, right - left, bottom - top));
    }
    return device;
}

namespace {

std::optional<QRectF> rectFromEntry(const QVariant& entry) {
    if (entry.metaType().id() == QMetaType::QRectF || entry.metaType().id() == QMetaType::QRect)
        return entry.toRectF();
    if (entry.metaType().id() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = entry.toMap();
    for (const char* key : {"x", "y", "width", "height"})
        if (!map.contains(QLatin1String(key)))
            return std::nullopt;
    return QRectF(map.value(QStringLiteral("x")).toReal(), map.value(QStringLiteral("y")).toReal(),
                  map.value(QStringLiteral("width")).toReal(), map.value(QStringLiteral("height")).toReal());
}

} // namespace

QList<QRectF> rectsFromQml(const QVariant& value) {
    const QVariant plain =
        value.metaType() == QMetaType::fromType<QJSValue>() ? value.value<QJSValue>().toVariant() : value;
    QList<QRectF> rects;
    for (const QVariant& entry : plain.toList())
        if (const auto rect = rectFromEntry(entry); rect && rect->isValid())
            rects.append(*rect);
    return rects;
}

} // namespace PanelInputRegion
