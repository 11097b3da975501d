#include "Theme/LevelBars.h"

#include <QEasingCurve>
#include <QPainter>
#include <QQuickWindow>

#include <algorithm>
#include <cmath>

const QList<double>& LevelBars::factors() {
    static const QList<double> values{0.42, 0.78, 1.0, 0.62, 0.36};
    return values;
}

LevelBars::LevelBars(QQuickItem* parent)
    : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    m_frames.setInterval(frameIntervalMs);
    // A coarse timer of 33 ms gave 31.5 frames a second.
    m_frames.setTimerType(Qt::PreciseTimer);
    connect(&m_frames, &QTimer::timeout, this, [this] { update(); });
}

double LevelBars::level(double factor, qint64 elapsedMs) {
    // Each way takes (factor × 0.25 + 0.35) s; the bar goes up, then down, and again.
    const double halfPeriodMs = (factor * 0.25 + 0.35) * 1000;
    const double position = std::fmod(double(elapsedMs), 2 * halfPeriodMs) / halfPeriodMs;
    const double progress = position <= 1 ? position : 2 - position;
    static const QEasingCurve easeInOut(QEasingCurve::InOutQuad);
    return easeInOut.valueForProgress(progress);
}

QList<QRectF> LevelBars::barRects(QSizeF size, qint64 elapsedMs) {
    const qsizetype count = factors().size();
    const double rowWidth = double(count) * barWidth + double(count - 1) * barSpacing;
    double x = (size.width() - rowWidth) / 2;
    QList<QRectF> rects;
    for (const double factor : factors()) {
        const double height = factor * (lowHeight + (highHeight - lowHeight) * level(factor, elapsedMs));
        rects.append(QRectF(x, size.height() - height, barWidth, height));
        x += barWidth + barSpacing;
    }
    return rects;
}

void LevelBars::setPlaying(bool playing) {
    if (m_playing == playing)
        return;
    m_playing = playing;
    Q_EMIT playingChanged();
    updateFrames();
}

void LevelBars::setColor(const QColor& color) {
    if (m_color == color)
        return;
    m_color = color;
    Q_EMIT colorChanged();
    update();
}

// A bar is as wide as its two corner radii, so each end is a row of quarter discs: drawn as a row that covers
// its pixels by π/4, which is what the rounded corners cover, without rasterising curves 30 times a second.
void LevelBars::paint(QPainter* painter) {
    painter->setRenderHint(QPainter::Antialiasing);
    QColor endColor = m_color;
    endColor.setAlphaF(m_color.alphaF() * M_PI / 4);
    for (const QRectF& bar : barRects(size(), elapsedMs())) {
        const double end = std::min(barRadius, bar.height() / 2);
        painter->fillRect(bar.adjusted(0, end, 0, -end), m_color);
        painter->fillRect(QRectF(bar.left(), bar.top(), bar.width(), end), endColor);
        painter->fillRect(QRectF(bar.left(), bar.bottom() - end, bar.width(), end), endColor);
    }
}

void LevelBars::itemChange(ItemChange change, const ItemChangeData& data) {
    QQuickPaintedItem::itemChange(change, data);
    if (change == ItemSceneChange || change == ItemVisibleHasChanged)
        updateFrames();
}

qint64 LevelBars::elapsedMs() const {
    return m_elapsedBefore + (m_sinceStart.isValid() ? m_sinceStart.elapsed() : 0);
}

// Frames run while playing and on screen; a pause keeps the bars where they are and the next start goes on
// from there.
void LevelBars::updateFrames() {
    if (window() != m_window)
        watchWindow(window());
    const bool onScreen = isVisible() && m_window && m_window->isVisible();
    const bool animate = m_playing && onScreen;
    if (animate == m_frames.isActive())
        return;
    if (animate) {
        m_sinceStart.start();
        m_frames.start();
    } else {
        m_elapsedBefore = elapsedMs();
        m_sinceStart.invalidate();
        m_frames.stop();
    }
    update();
    Q_EMIT animatingChanged();
}

void LevelBars::watchWindow(QQuickWindow* window) {
    if (m_window)
        disconnect(m_window, &QWindow::visibleChanged, this, &LevelBars::updateFrames);
    m_window = window;
    if (m_window)
        connect(m_window, &QWindow::visibleChanged, this, &LevelBars::updateFrames);
}
