#pragma once

#include <QImage>

// Blurs on the CPU, for looks drawn once into an image: a close match of a Gaussian from three box blurs.
namespace ImageBlur {

// How far a blur of that radius reaches beyond what it blurs, in whole pixels.
int reach(qreal radius);

// Blurs a premultiplied 32-bit image, or an alpha-only one, in place with a Gaussian of deviation radius / 2;
// what lies beyond the edges counts as clear.
void blur(QImage& image, qreal radius);

// What lies behind a window seen through frosted glass: the image shrunk eight times (each pixel the mean of
// its block) and blurred by a radius of six of those pixels, its edges held. No text that fits a line of a
// screen can be read in it, and drawing it stretched back to the image's size looks smooth. Null for a null
// or empty image.
QImage frosted(const QImage& image);

} // namespace ImageBlur
