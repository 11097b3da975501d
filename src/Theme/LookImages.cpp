#include "Theme/LookImages.h"

#include "Foundation/ImageBlur.h"
#include "Theme/SymbolIcons.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <cmath>
#include <optional>
#include <vector>

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
