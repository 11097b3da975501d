#include "Theme/LookImages.h"

#include "Foundation/ImageBlur.h"
#include "Theme/SymbolIcons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace LookImages {

namespace {

QImage clearImage(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void paintShape(QPainter& painter, const Shape& shape, const QRectF& box) {
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, shape.color);
    fill.setColorAt(1, shape.endColor.isValid() ? shape.endColor : shape.color);
    if (shape.symbol.isEmpty()) {
        QPainterPath path;
        path.addRoundedRect(box, shape.cornerRadius, shape.cornerRadius);
        painter.fillPath(path, fill);
        return;
    }
    QFont font(SymbolIcons::fontFamily());
    font.setPixelSize(std::max(1, int(std::lround(box.height()))));
    painter.setFont(font);
    painter.setPen(QPen(QBrush(fill), 0));
    painter.drawText(box, Qt::AlignCenter, SymbolIcons::glyph(shape.symbol));
}

} // namespace

int blurReach(qreal radius) {
    return ImageBlur::reach(radius);
}

QImage blurredShape(const Shape& shape, qreal radius) {
    const int reach = blurReach(radius);
    const QSize size = shape.size.toSize() + QSize(2 * reach, 2 * reach);
    if (shape.size.isEmpty())
        return {};
    QImage image = clearImage(size);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paintShape(painter, shape, QRectF(QPointF(reach, reach), shape.size));
    }
    ImageBlur::blur(image, radius);
    return image;
}

QImage roundedCover(const QImage& artwork, QSize size, qreal cornerRadius) {
    if (artwork.isNull() || size.isEmpty())
        return {};
    QImage image = clearImage(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(0, 0), size), cornerRadius, cornerRadius);
    painter.fillPath(path, Qt::white);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    // Scaled in full colour: a palette image would be scaled in its own format, dithered to two colours.
    const QImage scaled = artwork.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                              .scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    painter.drawImage(QPoint((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2),
                      scaled);
    return image;
}

QImage radialGlow(int diameter, QColor color, qreal innerFraction) {
    if (diameter <= 0)
        return {};
    QImage image = clearImage(QSize(diameter, diameter));
    QPainter painter(&image);
    const QPointF centre(diameter / 2.0, diameter / 2.0);
    QRadialGradient gradient(centre, diameter / 2.0);
    QColor clear = color;
    clear.setAlpha(0);
    gradient.setColorAt(innerFraction, color);
    gradient.setColorAt(1, clear);
    painter.fillRect(image.rect(), gradient);
    return image;
}

} // namespace LookImages
