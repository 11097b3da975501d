#include "Theme/LookImages.h"

#include "Theme/SymbolIcons.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <array>
#include <cmath>
#include <optional>
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

// One box blur along rows (pixel step the pixel's size, stride a line) or columns (pixel step a line, stride
// the pixel's size) of premultiplied pixels of `channels` bytes; what lies beyond the edges counts as clear.
template <int channels>
void boxBlur(uchar* bits, int lines, int length, qsizetype lineStep, qsizetype pixelStep, int radius) {
    const int window = 2 * radius + 1;
    std::vector<int> source(std::size_t(length) * channels);
    for (int line = 0; line < lines; ++line) {
        uchar* first = bits + line * lineStep;
        for (int i = 0; i < length; ++i)
            for (int c = 0; c < channels; ++c)
                source[std::size_t(i) * channels + c] = first[i * pixelStep + c];
        std::array<int, channels> sum{};
        for (int i = 0; i < std::min(radius, length); ++i)
            for (int c = 0; c < channels; ++c)
                sum[c] += source[std::size_t(i) * channels + c];
        for (int i = 0; i < length; ++i) {
            const int entering = i + radius, leaving = i - radius - 1;
            for (int c = 0; c < channels; ++c) {
                if (entering < length)
                    sum[c] += source[std::size_t(entering) * channels + c];
                if (leaving >= 0)
                    sum[c] -= source[std::size_t(leaving) * channels + c];
                first[i * pixelStep + c] = uchar(sum[c] / window);
            }
        }
    }
}

// Blurs an image of premultiplied colours, or of alpha alone.
template <int channels> void blur(QImage& image, qreal radius) {
    const qsizetype line = image.bytesPerLine();
    for (int boxRadius : boxRadii(radius / 2)) {
        if (boxRadius == 0)
            continue;
        boxBlur<channels>(image.bits(), image.height(), image.width(), line, channels, boxRadius);
        boxBlur<channels>(image.bits(), image.width(), image.height(), channels, line, boxRadius);
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

QTextOption textOption(const TextBlock& block, QTextOption::WrapMode wrap) {
    QTextOption option(block.alignment);
    option.setWrapMode(wrap);
    option.setUseDesignMetrics(block.designMetrics);
    return option;
}

// The positions between the graphemes of the text, its ends included.
std::vector<int> graphemeBoundaries(const QString& text) {
    std::vector<int> boundaries{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    while (finder.toNextBoundary() > 0)
        boundaries.push_back(int(finder.position()));
    return boundaries;
}

// The text on one line, with the edges of its graphemes measured as the item measures them.
struct MeasuredLine {
    MeasuredLine(const QString& text, const TextBlock& block)
        : layout(text, block.font)
        , boundaries(graphemeBoundaries(text)) {
        QTextOption option = textOption(block, QTextOption::NoWrap);
        option.setAlignment(Qt::AlignLeft);
        layout.setTextOption(option);
        layout.beginLayout();
        line = layout.createLine();
        line.setLineWidth(unboundedWidth);
        layout.endLayout();
    }
    // The width of the text between two grapheme boundaries, by their indexes.
    qreal span(std::size_t from, std::size_t to) const {
        return std::abs(line.cursorToX(boundaries[to]) - line.cursorToX(boundaries[from]));
    }

    static constexpr qreal unboundedWidth = 1e6;
    QTextLayout layout;
    QTextLine line;
    std::vector<int> boundaries;
};

// The text cut to `width` with an ellipsis as the item's text engine cuts it: whole graphemes, as many as fit
// beside the ellipsis (at the end, at the start or on both sides of the middle), never the last one. A text
// that fits is left whole unless `more` follows it.
QString elided(const QString& text, const TextBlock& block, bool more = false) {
    const MeasuredLine measured(text, block);
    const std::size_t last = measured.boundaries.size() - 1;
    if (block.elide == Qt::ElideNone || (!more && measured.line.naturalTextWidth() <= block.width) ||
        last <= 1)
        return text;
    const QFontMetricsF metrics(block.font);
    const QString ellipsis = metrics.inFont(QChar(0x2026)) ? QString(QChar(0x2026)) : QStringLiteral("...");
    const qreal available = block.width - metrics.horizontalAdvance(ellipsis);
    if (available < 0)
        return {};
    const auto at = [&](std::size_t index) { return measured.boundaries[index]; };
    std::size_t kept = 1;
    if (block.elide == Qt::ElideRight) {
        while (kept < last && measured.span(0, kept) < available)
            ++kept;
        return text.left(at(kept - 1)) + ellipsis;
    }
    if (block.elide == Qt::ElideLeft) {
        while (kept < last && measured.span(last - kept, last) < available)
            ++kept;
        return ellipsis + text.mid(at(last - kept + 1));
    }
    while (kept < last && measured.span(0, kept) + measured.span(last - kept, last) < available)
        ++kept;
    return text.left(at(kept - 1)) + ellipsis + text.mid(at(last - kept + 1));
}

// What the last line shown reads when the item cuts it with an ellipsis; nothing when it shows it whole.
std::optional<QString> elidedEnding(const TextBlock& block, const QString& text,
                                    const QList<QTextLine>& lines, int shown) {
    if (!block.truncated || block.elide == Qt::ElideNone || shown == 0)
        return std::nullopt;
    const QTextLine last = lines[shown - 1];
    QString ending = text.mid(last.textStart(), last.textLength());
    if (lines.size() == shown) {
        if (shown > 1 || last.naturalTextWidth() <= block.width)
            return std::nullopt;
        return elided(ending, block);
    }
    if (block.elide != Qt::ElideRight)
        return std::nullopt;
    const QTextLine next = lines[shown];
    // Cut before the line that follows is laid out, the item counts that line as -1 characters long: the last
    // character of this one drops out of what it cuts.
    if (text.at(next.textStart() - 1) != QChar::LineSeparator)
        return elided(ending.chopped(1), block, true);
    // A line ending in a line break: its break gives way to the ellipsis.
    ending.back() = QChar(0x2026);
    const QFontMetricsF metrics(block.font);
    if (metrics.horizontalAdvance(QChar(0x2026)) + last.naturalTextWidth() >= block.width)
        return metrics.elidedText(ending, block.elide, block.width);
    return ending;
}

void drawLine(QPainter& painter, const TextBlock& block, const QString& text, qreal y) {
    QTextLayout layout(text, block.font);
    layout.setTextOption(textOption(block, block.wrap));
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(block.width);
    line.setPosition(QPointF(0, y));
    layout.endLayout();
    line.draw(&painter, QPointF());
}

// With wrapping, right eliding and a maximum line count, the item breaks the last line it may show anywhere,
// so that line runs full up to its ellipsis.
bool breaksAnywhere(const TextBlock& block, int line) {
    const bool wraps =
        block.wrap == QTextOption::WordWrap || block.wrap == QTextOption::WrapAtWordBoundaryOrAnywhere;
    return wraps && block.elide == Qt::ElideRight && line + 1 == block.maximumLineCount;
}

// Draws the lines shown, the top left of the first at (0, 0).
void drawLines(QPainter& painter, const TextBlock& block) {
    QString text = block.text;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(text, block.font);
    layout.setTextOption(textOption(block, block.wrap));
    QList<QTextLine> lines;
    qreal y = 0;
    layout.beginLayout();
    // One line more than shown tells what follows the last.
    while (lines.size() <= block.lineCount) {
        if (breaksAnywhere(block, int(lines.size())))
            layout.setTextOption(textOption(block, QTextOption::WrapAnywhere));
        QTextLine line = layout.createLine();
        layout.setTextOption(textOption(block, block.wrap));
        if (!line.isValid())
            break;
        line.setLineWidth(block.width);
        line.setPosition(QPointF(0, y));
        y += block.fixedLineHeight ? block.lineHeight : line.height() * block.lineHeight;
        lines.append(line);
    }
    layout.endLayout();
    const int shown = std::min(block.lineCount, int(lines.size()));
    const std::optional<QString> ending = elidedEnding(block, text, lines, shown);
    const int whole = ending ? shown - 1 : shown;
    for (int i = 0; i < whole; ++i)
        lines[i].draw(&painter, QPointF());
    if (ending)
        drawLine(painter, block, *ending, lines[shown - 1].y());
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
    blur<4>(image, radius);
    return image;
}

QImage textMask(const TextBlock& block, QSize size, QPointF origin, qreal pixelRatio) {
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_Alpha8);
    image.fill(0);
    QPainter painter(&image);
    painter.translate(origin);
    painter.scale(pixelRatio, pixelRatio);
    painter.setPen(Qt::black);
    drawLines(painter, block);
    return image;
}

QImage blurredText(const TextBlock& block, QSize size, QPointF origin, qreal pixelRatio, qreal radius) {
    QImage image = textMask(block, size, origin, pixelRatio);
    blur<1>(image, radius);
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
