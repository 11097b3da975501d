#include "Theme/LookImages.h"

#include "Theme/SymbolIcons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <vector>

namespace LookImages {

namespace {

// Three box blurs in a row come close to a Gaussian; these are their half widths for a deviation.
std::array<int, 3> boxRadii(qreal deviation) {
    constexpr int passes = 3;
    const qreal variance = deviation * deviation;
    int lower = int(std::floor(std::sqrt(12 * variance / passes + 1)));
    if (lower % 2 == 0)
        --lower;
    lower = std::max(lower, 1);
    const qreal wider =
        (12 * variance - passes * lower * lower - 4 * passes * lower - 3 * passes) / (-4.0 * lower - 4);
    const int narrowPasses = int(std::lround(wider));
    std::array<int, 3> radii{};
    for (int i = 0; i < passes; ++i)
        radii[i] = ((i < narrowPasses ? lower : lower + 2) - 1) / 2;
    return radii;
}

// One box blur along rows (step 4, stride a line) or columns (step a line, stride 4) of premultiplied
// pixels; what lies beyond the edges counts as clear.
void boxBlur(uchar* bits, int lines, int length, qsizetype lineStep, qsizetype pixelStep, int radius) {
    const int window = 2 * radius + 1;
    std::vector<int> source(std::size_t(length) * 4);
    for (int line = 0; line < lines; ++line) {
        uchar* first = bits + line * lineStep;
        for (int i = 0; i < length; ++i)
            for (int c = 0; c < 4; ++c)
                source[std::size_t(i) * 4 + c] = first[i * pixelStep + c];
        std::array<int, 4> sum{};
        for (int i = 0; i < std::min(radius, length); ++i)
            for (int c = 0; c < 4; ++c)
                sum[c] += source[std::size_t(i) * 4 + c];
        for (int i = 0; i < length; ++i) {
            const int entering = i + radius, leaving = i - radius - 1;
            for (int c = 0; c < 4; ++c) {
                if (entering < length)
                    sum[c] += source[std::size_t(entering) * 4 + c];
                if (leaving >= 0)
                    sum[c] -= source[std::size_t(leaving) * 4 + c];
                first[i * pixelStep + c] = uchar(sum[c] / window);
            }
        }
    }
}

void blur(QImage& image, qreal radius) {
    const qsizetype line = image.bytesPerLine();
    for (int boxRadius : boxRadii(radius / 2)) {
        if (boxRadius == 0)
            continue;
        boxBlur(image.bits(), image.height(), image.width(), line, 4, boxRadius);
        boxBlur(image.bits(), image.width(), image.height(), 4, line, boxRadius);
    }
}

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
    const auto radii = boxRadii(radius / 2);
    return radii[0] + radii[1] + radii[2];
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
    blur(image, radius);
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
