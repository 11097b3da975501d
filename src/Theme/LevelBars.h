#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QRectF>
#include <QTimer>

class QQuickWindow;

// The play-state marker's five level bars. Each bar rises from a quarter of its full height to its full
// height and falls back, ease-in-out, for ever, each at its own pace. Drawn in C++ at 30 frames a second so
// that a frame redraws this small item and nothing else; the frames run only while `playing` is true and
// the item is on screen.
class LevelBars : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(bool playing READ playing WRITE setPlaying NOTIFY playingChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(bool animating READ animating NOTIFY animatingChanged)

public:
    static constexpr int frameIntervalMs = 33;
    static constexpr double barWidth = 2;
    static constexpr double barSpacing = 1.5;
    static constexpr double barRadius = 1;
    static constexpr double lowHeight = 3;   // times the bar's factor
    static constexpr double highHeight = 12; // times the bar's factor
    static const QList<double>& factors();

    explicit LevelBars(QQuickItem* parent = nullptr);

    // How far a bar is between low (0) and high (1) after it has moved for the given time.
    static double level(double factor, qint64 elapsedMs);
    // The bars in an item of the given size: side by side, centred, standing on the bottom edge.
    static QList<QRectF> barRects(QSizeF size, qint64 elapsedMs);

    bool playing() const { return m_playing; }
    void setPlaying(bool playing);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    bool animating() const { return m_frames.isActive(); }

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void playingChanged();
    void colorChanged();
    void animatingChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& data) override;

private:
    qint64 elapsedMs() const;
    void updateFrames();
    void watchWindow(QQuickWindow* window);

    bool m_playing = false;
    QColor m_color = Qt::white;
    QTimer m_frames;
    QElapsedTimer m_sinceStart; // runs while animating
    qint64 m_elapsedBefore = 0; // time moved before the last start
    QPointer<QQuickWindow> m_window;
};
