#include "Foundation/ImageBlur.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace ImageBlur {

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

template <int channels> void blurChannels(QImage& image, qreal radius) {
    const qsizetype line = image.bytesPerLine();
    for (int boxRadius : boxRadii(radius / 2)) {
        if (boxRadius == 0)
            continue;
        boxBlur<channels>(image.bits(), image.height(), image.width(), line, channels, boxRadius);
        boxBlur<channels>(image.bits(), image.width(), image.height(), channels, line, boxRadius);
    }
}

// Each pixel of the result is the mean of a block of `shrink` × `shrink` pixels (fewer at the far edges).
QImage shrunk(const QImage& image, int shrink) {
    const QSize size((image.width() + shrink - 1) / shrink, (image.height() + shrink - 1) / shrink);
    std::vector<std::array<quint32, 4>> sums(std::size_t(size.width()) * std::size_t(size.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const uchar*>(image.constScanLine(y));
        auto* row = sums.data() + std::size_t(y / shrink) * std::size_t(size.width());
        for (int x = 0; x < image.width(); ++x)
            for (int c = 0; c < 4; ++c)
                row[x / shrink][c] += line[x * 4 + c];
    }
    QImage result(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        const int rows = std::min(shrink, image.height() - y * shrink);
        auto* line = result.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const quint32 count = quint32(rows * std::min(shrink, image.width() - x * shrink));
            const auto& sum = sums[std::size_t(y) * std::size_t(size.width()) + std::size_t(x)];
            for (int c = 0; c < 4; ++c)
                line[x * 4 + c] = uchar(sum[c] / count);
        }
    }
    return result;
}

// The image with its edge pixels repeated `margin` times on every side.
QImage paddedWithEdges(const QImage& image, int margin) {
    QImage padded(image.size() + QSize(2 * margin, 2 * margin), image.format());
    QPainter painter(&padded);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const int w = image.width(), h = image.height();
    painter.drawImage(QRect(margin, margin, w, h), image);
    painter.drawImage(QRect(0, margin, margin, h), image, QRect(0, 0, 1, h));
    painter.drawImage(QRect(margin + w, margin, margin, h), image, QRect(w - 1, 0, 1, h));
    painter.drawImage(QRect(0, 0, padded.width(), margin), padded, QRect(0, margin, padded.width(), 1));
    painter.drawImage(QRect(0, margin + h, padded.width(), margin), padded,
                      QRect(0, margin + h - 1, padded.width(), 1));
    return padded;
}

} // namespace

int reach(qreal radius) {
    const auto radii = boxRadii(radius / 2);
    return radii[0] + radii[1] + radii[2];
}

void blur(QImage& image, qreal radius) {
    if (image.format() == QImage::Format_Alpha8)
        blurChannels<1>(image, radius);
    else
        blurChannels<4>(image, radius);
}

QImage frosted(const QImage& image) {
    constexpr int shrink = 8;
    constexpr qreal radius = 6;
    if (image.isNull() || image.size().isEmpty())
        return {};
    const bool fourBytes =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage small =
        shrunk(fourBytes ? image : image.convertToFormat(QImage::Format_ARGB32_Premultiplied), shrink);
    const int margin = reach(radius);
    QImage padded = paddedWithEdges(small, margin);
    blur(padded, radius);
    return padded.copy(margin, margin, small.width(), small.height());
}

} // namespace ImageBlur
