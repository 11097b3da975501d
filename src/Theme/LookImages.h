#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QString>

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

// The artwork scaled to cover `size` (the overflow cropped evenly) and clipped to a rounded rectangle.
QImage roundedCover(const QImage& artwork, QSize size, qreal cornerRadius);

// A disc of `diameter` pixels, clear at its rim, `color` within `innerFraction` of its radius, and linear
// between.
QImage radialGlow(int diameter, QColor color, qreal innerFraction);

} // namespace LookImages
