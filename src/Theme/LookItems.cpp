#include "Theme/LookItems.h"

#include "Theme/LookImages.h"

#include <QCache>
#include <QQuickWindow>
#include <QSGImageNode>

#include <cmath>
#include <functional>

namespace {

// The looks drawn so far, by key; a reminder shown again, or a cover seen again, is not drawn again.
constexpr int cacheKilobytes = 2 * 1024;

QImage cachedLook(const QString& key, const std::function<QImage()>& bake) {
    static QCache<QString, QImage> cache(cacheKilobytes);
    if (const QImage* found = cache.object(key))
        return *found;
    QImage image = bake();
    cache.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
    return image;
}

QString colorKey(const QColor& color) {
    return color.isValid() ? color.name(QColor::HexArgb) : QStringLiteral("none");
}

QSize pixelSize(QSizeF size, qreal pixelRatio) {
    return QSize(int(std::ceil(size.width() * pixelRatio)), int(std::ceil(size.height() * pixelRatio)));
}

// Drawn once at this size and stretched: the glow changes so slowly that a pixel covers many.
constexpr int glowPixels = 256;

} // namespace

BakedLook::BakedLook(QQuickItem* parent)
    : QQuickItem(parent) {
    setFlag(ItemHasContents);
}

qreal BakedLook::pixelRatio() const {
    return window() ? window()->effectiveDevicePixelRatio() : 1.0;
}

void BakedLook::updatePolish() {
    const qreal ratio = pixelRatio();
    const QString key = lookKey(ratio);
    update();
    if (key == m_key)
        return;
    m_key = key;
    if (key.isEmpty())
        m_image = QImage();
    else
        m_image = shared() ? cachedLook(key, [this, ratio] { return bake(ratio); }) : bake(ratio);
    m_textureStale = true;
}

QSGNode* BakedLook::updatePaintNode(QSGNode* node, UpdatePaintNodeData*) {
    if (m_image.isNull()) {
        delete node;
        return nullptr;
    }
    auto* imageNode = static_cast<QSGImageNode*>(node);
    if (!imageNode) {
        imageNode = window()->createImageNode();
        imageNode->setOwnsTexture(true);
        imageNode->setFiltering(QSGTexture::Linear);
        m_textureStale = true;
    }
    if (m_textureStale) {
        imageNode->setTexture(window()->createTextureFromImage(m_image));
        imageNode->setSourceRect(QRectF(QPointF(0, 0), m_image.size()));
        m_textureStale = false;
    }
    imageNode->setRect(imageRect());
    return imageNode;
}

void BakedLook::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        polish();
    update();
}

void BakedLook::itemChange(ItemChange change, const ItemChangeData& value) {
    QQuickItem::itemChange(change, value);
    if (change == ItemSceneChange || change == ItemDevicePixelRatioHasChanged) {
        m_textureStale = true;
        polish();
    }
}

void ArtworkImage::setImage(const QImage& image) {
    if (image.cacheKey() == m_artwork.cacheKey())
        return;
    m_artwork = image;
    polish();
    Q_EMIT lookChanged();
}

QString ArtworkImage::lookKey(qreal pixelRatio) const {
    const QSize size = pixelSize(boundingRect().size(), pixelRatio);
    if (m_artwork.isNull() || size.isEmpty())
        return {};
    return QStringLiteral("cover %1 %2x%3 %4")
        .arg(m_artwork.cacheKey())
        .arg(size.width())
        .arg(size.height())
        .arg(m_radius * pixelRatio);
}

QImage ArtworkImage::bake(qreal pixelRatio) const {
    return LookImages::roundedCover(m_artwork, pixelSize(boundingRect().size(), pixelRatio),
                                    m_radius * pixelRatio);
}

QString BlurredShape::lookKey(qreal pixelRatio) const {
    const QSize size = pixelSize(boundingRect().size(), pixelRatio);
    if (size.isEmpty() || !m_color.isValid())
        return {};
    return QStringLiteral("shape %1x%2 %3 %4 %5 %6 %7")
        .arg(size.width())
        .arg(size.height())
        .arg(m_cornerRadius * pixelRatio)
        .arg(m_symbol, QString::number(m_blur * pixelRatio), colorKey(m_color), colorKey(m_endColor));
}

QImage BlurredShape::bake(qreal pixelRatio) const {
    const LookImages::Shape shape{boundingRect().size() * pixelRatio, m_cornerRadius * pixelRatio, m_symbol,
                                  m_color, m_endColor};
    return LookImages::blurredShape(shape, m_blur * pixelRatio);
}

QRectF BlurredShape::imageRect() const {
    const qreal reach = LookImages::blurReach(m_blur * pixelRatio()) / pixelRatio();
    return boundingRect().adjusted(-reach, -reach, reach, reach);
}

QString RadialGlow::lookKey(qreal) const {
    if (!m_color.isValid() || m_outerRadius <= 0)
        return {};
    return QStringLiteral("glow %1 %2").arg(colorKey(m_color)).arg(m_innerRadius / m_outerRadius);
}

QImage RadialGlow::bake(qreal) const {
    return LookImages::radialGlow(glowPixels, m_color, m_innerRadius / m_outerRadius);
}

QRectF RadialGlow::imageRect() const {
    const QPointF centre = boundingRect().center();
    return QRectF(centre.x() - m_outerRadius, centre.y() - m_outerRadius, 2 * m_outerRadius,
                  2 * m_outerRadius);
}
