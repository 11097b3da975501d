#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <QTextOption>

// The images behind the soft looks of the views (rounded covers, shadows, glows), drawn once on the CPU so
// that any scene graph, the software one included, only has to draw an image. Sizes are in pixels.
namespace LookImages {

// What a shadow or glow is cast by: a rounded rectangle, or a symbol's glyph drawn as SymbolIcon draws it in
// a box of this size. The fill runs from `color` at the top to `endColor` at the bottom.
struct Shape {
    QSizeF size;
    qreal cornerRadius = 0;
    QString symbol;
    QColor color;
    QColor endColor;
};

// How far a blur of that radius reaches beyond the shape, in whole pixels.
int blurReach(qreal radius);

// The shape blurred with a Gaussian of deviation radius / 2, in an image larger than the shape by
// blurReach(radius) on every side.
QImage blurredShape(const Shape& shape, qreal radius);

// A plain text laid out as a Text item lays it out: lines `width` wide, wrapped and aligned as asked,
// `lineHeight` apart (a factor of the line's own height, or pixels when `fixedLineHeight`), and `lineCount`
// of them shown. When `truncated`, the last line shown ends in an ellipsis as the item's `elide` cuts it: a
// single line wider than `width` in any mode, the last of several lines with Qt::ElideRight. Sizes are in the
// item's units.
struct TextBlock {
    QString text;
    QFont font;
    qreal width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    QTextOption::WrapMode wrap = QTextOption::NoWrap;
    Qt::TextElideMode elide = Qt::ElideNone;
    int lineCount = 1;
    int maximumLineCount = INT_MAX;
    bool truncated = false;
    qreal lineHeight = 1;
    bool fixedLineHeight = false;
    bool designMetrics = true;
};

// The glyphs of the text, scaled by `pixelRatio`, in an alpha-only image of `size` pixels whose point
// `origin` is the top left of the lines.
QImage textMask(const TextBlock& block, QSize size, QPointF origin, qreal pixelRatio);

// The same glyphs blurred with a Gaussian of deviation radius / 2, `radius` in pixels.
QImage blurredText(const TextBlock& block, QSize size, QPointF origin, qreal pixelRatio, qreal radius);

// The artwork scaled to cover `size` (the overflow cropped evenly) and clipped to a rounded rectangle.
QImage roundedCover(const QImage& artwork, QSize size, qreal cornerRadius);

// A disc of `diameter` pixels, clear at its rim, `color` within `innerFraction` of its radius, and linear
// between.
QImage radialGlow(int diameter, QColor color, qreal innerFraction);

} // namespace LookImages
