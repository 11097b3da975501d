#pragma once

#include "Theme/LookItems.h"

#include <QImage>
#include <QRectF>

// Frosted glass: the part of a frosted image of what lies behind the window that is behind this item, drawn
// stretched back to size and clipped to a rounded rectangle of `radius`. `area` is where the image lies in
// the window's coordinates; an empty one lays the image over the item itself. Draws nothing without an image.
class BackdropMaterial : public BakedLook {
    Q_OBJECT
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY lookChanged)
    Q_PROPERTY(QRectF area READ area WRITE setArea NOTIFY lookChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY lookChanged)
    Q_PROPERTY(bool drawn READ drawn NOTIFY lookChanged)

public:
    using BakedLook::BakedLook;
    QImage image() const { return m_backdrop; }
    void setImage(const QImage& image);
    QRectF area() const { return m_area; }
    void setArea(const QRectF& area) { change(m_area, area); }
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius) { change(m_radius, radius); }
    bool drawn() const { return !m_backdrop.isNull(); }

protected:
    QString lookKey(qreal pixelRatio) const override;
    QImage bake(qreal pixelRatio) const override;
    QRectF imageRect() const override { return boundingRect(); }
    bool shared() const override { return false; }
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    QRectF sceneRect() const;
    // The part of the image behind the item, in the image's pixels.
    QRectF sourceRect() const;

    QImage m_backdrop;
    QRectF m_area;
    qreal m_radius = 0;
};
