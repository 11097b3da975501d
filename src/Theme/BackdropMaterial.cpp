#include "Theme/BackdropMaterial.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

void BackdropMaterial::setImage(const QImage& image) {
    if (image.cacheKey() == m_backdrop.cacheKey())
        return;
    m_backdrop = image;
    polish();
    Q_EMIT lookChanged();
}

// Moving, not only resizing, changes what lies behind the item.
void BackdropMaterial::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
    BakedLook::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.topLeft() != oldGeometry.topLeft())
        polish();
}

QRectF BackdropMaterial::sceneRect() const {
    return mapRectToScene(boundingRect());
}

QRectF BackdropMaterial::sourceRect() const {
    const QRectF scene = sceneRect();
    const QRectF area = m_area.isEmpty() ? scene : m_area;
    const qreal xScale = m_backdrop.width() / area.width();
    const qreal yScale = m_backdrop.height() / area.height();
    return QRectF((scene.x() - area.x()) * xScale, (scene.y() - area.y()) * yScale, scene.width() * xScale,
                  scene.height() * yScale);
}

QString BackdropMaterial::lookKey(qreal pixelRatio) const {
    const QRectF scene = sceneRect();
    if (m_backdrop.isNull() || scene.isEmpty())
        return {};
    const QRectF source = sourceRect();
    return QStringLiteral("backdrop %1 %2,%3 %4x%5 %6 %7")
        .arg(m_backdrop.cacheKey())
        .arg(source.x())
        .arg(source.y())
        .arg(std::ceil(scene.width() * pixelRatio))
        .arg(std::ceil(scene.height() * pixelRatio))
        .arg(source.width())
        .arg(m_radius * pixelRatio);
}

QImage BackdropMaterial::bake(qreal pixelRatio) const {
    const QSizeF size = boundingRect().size() * pixelRatio;
    QImage image(QSize(int(std::ceil(size.width())), int(std::ceil(size.height()))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    if (m_radius > 0) {
        // The corners cut smoothly: the rounded shape first, the image kept only where it lies.
        QPainterPath shape;
        shape.addRoundedRect(QRectF(QPointF(0, 0), size), m_radius * pixelRatio, m_radius * pixelRatio);
        painter.fillPath(shape, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    }
    painter.drawImage(QRectF(QPointF(0, 0), size), m_backdrop, sourceRect());
    return image;
}
