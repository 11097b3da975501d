#include "Theme/LookItems.h"

#include "Theme/LookImages.h"

#include <QCache>
#include <QFontMetricsF>
#include <QMetaMethod>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QTextDocument>

#include <cmath>
#include <functional>

namespace {

// The looks drawn so far, by key; a reminder shown again, or a cover seen again, is not drawn again.
constexpr int cacheKilobytes = 2 * 1024;
int drawnImages = 0;

QImage cachedLook(const QString& key, const std::function<QImage()>& bake) {
    static QCache<QString, QImage> cache(cacheKilobytes);
    if (const QImage* found = cache.object(key))
        return *found;
    QImage image = bake();
    ++drawnImages;
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

// The text shadow: black at 40 %, blurred by 3 and dropped by 1, in the item's units.
constexpr qreal textShadowOpacity = 0.4;
constexpr qreal textShadowBlur = 3;
constexpr qreal textShadowDrop = 1;
// Glyphs may reach a little past the advances they are laid out by.
constexpr qreal glyphOverhang = 2;

// Text.Normal and Text.Raised (which draws the style colour 1 px below the glyphs); Text.FixedHeight;
// Text.NativeRendering.
constexpr int plainStyle = 0;
constexpr int raisedStyle = 2;
constexpr int fixedLineHeightMode = 1;
constexpr int nativeRendering = 1;
const QColor raisedCopyColor(0, 0, 0, 102);

// The properties of a Text item that change what its shadow shows.
const QByteArrayList& followedProperties() {
    static const QByteArrayList names =
        QByteArrayLiteral("text font color textFormat wrapMode elide lineCount truncated maximumLineCount "
                          "lineHeight lineHeightMode leftPadding rightPadding topPadding bottomPadding "
                          "renderType contentWidth contentHeight verticalAlignment "
                          "effectiveHorizontalAlignment width height")
            .split(' ');
    return names;
}

// Where something `extent` long starts in `room`, aligned by a Text alignment (its left, right and centre, or
// top, bottom and centre).
qreal alignedStart(qreal extent, qreal room, int alignment) {
    if (alignment & (Qt::AlignRight | Qt::AlignBottom))
        return room - extent;
    if (alignment & (Qt::AlignHCenter | Qt::AlignVCenter))
        return (room - extent) / 2;
    return 0;
}

// How far a line height other than the font's moves the lines, as the Text item counts it.
int lineHeightOffset(const LookImages::TextBlock& block) {
    if (!block.fixedLineHeight && block.lineHeight == 1)
        return 0;
    const qreal fontHeight = std::ceil(QFontMetricsF(block.font).height());
    return int(block.fixedLineHeight ? fontHeight - block.lineHeight : (1 - block.lineHeight) * fontHeight);
}

qreal floorToPixel(qreal value, qreal pixelRatio) {
    return std::floor(value * pixelRatio) / pixelRatio;
}

} // namespace

BakedLook::BakedLook(QQuickItem* parent)
    : QQuickItem(parent) {
    setFlag(ItemHasContents);
}

int BakedLook::imagesDrawn() {
    return drawnImages;
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

TextShadow::TextShadow(QQuickItem* text)
    : BakedLook(text) {
    setZ(-1);
    text->setProperty("styleColor", raisedCopyColor);
    const QMetaMethod follow = metaObject()->method(metaObject()->indexOfSlot("followText()"));
    const QMetaObject* textType = text->metaObject();
    for (const QByteArray& name : followedProperties()) {
        const QMetaProperty property = textType->property(textType->indexOfProperty(name.constData()));
        if (property.hasNotifySignal())
            connect(text, property.notifySignal(), this, follow);
    }
    polish();
}

void TextShadow::followText() {
    polish();
}

void TextShadow::updatePolish() {
    text()->setProperty("style", isPlain() ? plainStyle : raisedStyle);
    setOpacity(textShadowOpacity * text()->property("color").value<QColor>().alphaF());
    BakedLook::updatePolish();
}

// Text.PlainText, or Text.AutoText holding nothing that looks like markup.
bool TextShadow::isPlain() const {
    const int format = text()->property("textFormat").toInt();
    return format == Qt::PlainText ||
           (format == Qt::AutoText && !Qt::mightBeRichText(text()->property("text").toString()));
}

LookImages::TextBlock TextShadow::block() const {
    const QQuickItem& item = *text();
    const auto number = [&item](const char* name) { return item.property(name).toReal(); };
    const auto integer = [&item](const char* name) { return item.property(name).toInt(); };
    LookImages::TextBlock block;
    block.text = item.property("text").toString();
    block.font = item.property("font").value<QFont>();
    const qreal available = item.width() - number("leftPadding") - number("rightPadding");
    block.width = available > 0 ? available : number("contentWidth");
    block.alignment = Qt::Alignment(integer("effectiveHorizontalAlignment"));
    block.wrap = QTextOption::WrapMode(integer("wrapMode"));
    block.elide = Qt::TextElideMode(integer("elide"));
    block.lineCount = integer("lineCount");
    block.maximumLineCount = integer("maximumLineCount");
    block.truncated = item.property("truncated").toBool();
    block.lineHeight = number("lineHeight");
    block.fixedLineHeight = integer("lineHeightMode") == fixedLineHeightMode;
    block.designMetrics = integer("renderType") != nativeRendering;
    return block;
}

// Where the Text item puts the top left of its lines.
QPointF TextShadow::linesOrigin(const LookImages::TextBlock& block) const {
    const QQuickItem& item = *text();
    const auto number = [&item](const char* name) { return item.property(name).toReal(); };
    const qreal left = number("leftPadding"), top = number("topPadding");
    const int offset = lineHeightOffset(block);
    const qreal linesHeight = number("contentHeight") - std::max(offset, 0) + offset;
    return {left + alignedStart(block.width, item.width() - left - number("rightPadding"), block.alignment),
            top + alignedStart(linesHeight, item.height() - top - number("bottomPadding"),
                               item.property("verticalAlignment").toInt())};
}

// Where the shadow lies: the lines dropped, with room for the blur, starting on a whole pixel.
QRectF TextShadow::shadowRect(const LookImages::TextBlock& block, qreal pixelRatio) const {
    const qreal contentWidth = text()->property("contentWidth").toReal();
    const int offset = lineHeightOffset(block);
    const QPointF origin = linesOrigin(block);
    const QRectF box(origin.x() + alignedStart(contentWidth, block.width, block.alignment),
                     origin.y() + textShadowDrop, contentWidth,
                     text()->property("contentHeight").toReal() - std::max(offset, 0));
    const qreal margin = LookImages::blurReach(textShadowBlur * pixelRatio) / pixelRatio + glyphOverhang;
    const QRectF room = box.adjusted(-margin, -margin, margin, margin);
    return QRectF(QPointF(floorToPixel(room.x(), pixelRatio), floorToPixel(room.y(), pixelRatio)),
                  room.bottomRight());
}

// The shadow's image: its size in pixels, and where the top left of the lines falls in it.
std::pair<QSize, QPointF> TextShadow::imageGeometry(const LookImages::TextBlock& block,
                                                    qreal pixelRatio) const {
    const QRectF rect = shadowRect(block, pixelRatio);
    return {::pixelSize(rect.size(), pixelRatio),
            (linesOrigin(block) + QPointF(0, textShadowDrop) - rect.topLeft()) * pixelRatio};
}

QString TextShadow::lookKey(qreal pixelRatio) const {
    const LookImages::TextBlock lines = block();
    const auto [size, origin] = imageGeometry(lines, pixelRatio);
    if (!isPlain() || lines.text.isEmpty() || size.isEmpty())
        return {};
    return QStringLiteral("text %1x%2 %3,%4 %5 %6 %7 %8 %9 ")
               .arg(size.width())
               .arg(size.height())
               .arg(origin.x())
               .arg(origin.y())
               .arg(pixelRatio)
               .arg(lines.width)
               .arg(int(lines.alignment) | lines.wrap << 8 | lines.elide << 12 | int(lines.truncated) << 16 |
                    int(lines.fixedLineHeight) << 17 | int(lines.designMetrics) << 18)
               .arg(lines.lineCount)
               .arg(lines.maximumLineCount) +
           QString::number(lines.lineHeight) + u' ' + lines.font.key() + u' ' + lines.text;
}

QImage TextShadow::bake(qreal pixelRatio) const {
    const LookImages::TextBlock lines = block();
    const auto [size, origin] = imageGeometry(lines, pixelRatio);
    return LookImages::blurredText(lines, size, origin, pixelRatio, textShadowBlur * pixelRatio);
}

QRectF TextShadow::imageRect() const {
    const qreal ratio = pixelRatio();
    const LookImages::TextBlock lines = block();
    return QRectF(shadowRect(lines, ratio).topLeft(), QSizeF(imageGeometry(lines, ratio).first) / ratio);
}
