#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPainterPath>
#include <QPointF>
#include <QString>

// One step of the notch outline. A quadratic curve carries its control point; other steps ignore it.
struct NotchPathElement {
    enum class Kind { MoveTo, LineTo, QuadTo, Close };
    Kind kind = Kind::MoveTo;
    QPointF to;
    QPointF control;

    friend bool operator==(const NotchPathElement&, const NotchPathElement&) = default;
};

// The outline drawn around the notch: small and hugging the notch while the panel is closed, a rounded
// panel below it while open. It hangs from the top edge of the view, centred on a given horizontal middle.
struct NotchShape {
    qreal width = 0;
    qreal height = 0;
    qreal topRadius = 0;
    qreal bottomRadius = 0;

    static constexpr qreal openMinimumWidth = 520;
    static constexpr qreal openHeight = 300;
    static constexpr qreal closedBottomRadius = 12;
    static constexpr qreal openBottomRadius = 16;

    static NotchShape closed(qreal notchWidth, qreal notchHeight, qreal visibleDrop);
    static NotchShape opened(qreal notchWidth);
    static qreal openWidth(qreal notchWidth);

    // The top corners stay square whatever topRadius is: their control points lie on the vertical sides.
    QList<NotchPathElement> pathElements(qreal middleX) const;
    // The same path as SVG path data, for a QML PathSvg.
    QString svgPath(qreal middleX) const;
    // The same path for cutting a window to it.
    QPainterPath path(qreal middleX) const;
    // The shape a part of the way from one shape to another: each value moves by the same fraction, which
    // overshoots past 1 and below 0 as a spring does.
    static NotchShape between(const NotchShape& from, const NotchShape& to, qreal progress);

    friend bool operator==(const NotchShape&, const NotchShape&) = default;
};

// Liquid mode paints the closed outline black and leaves the open panel without a backdrop; every other
// mode fills the outline with the theme's background in both states.
QColor notchFillColor(bool liquid, bool open);

// What the root view draws of the outline: the target shape for the panel's state, its fill, and which
// spring carries the next change. The spring is announced before the shape changes, so animations that
// start on the shape change already read the right curve.
class NotchShapeModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool open READ isOpen WRITE setOpen NOTIFY openChanged)
    Q_PROPERTY(bool liquid READ isLiquid WRITE setLiquid NOTIFY liquidChanged)
    Q_PROPERTY(qreal notchWidth READ notchWidth WRITE setNotchWidth NOTIFY notchSizeChanged)
    Q_PROPERTY(qreal notchHeight READ notchHeight WRITE setNotchHeight NOTIFY notchSizeChanged)
    Q_PROPERTY(qreal visibleDrop READ visibleDrop WRITE setVisibleDrop NOTIFY notchSizeChanged)
    Q_PROPERTY(Spring spring READ spring NOTIFY springChanged)
    Q_PROPERTY(qreal width READ width NOTIFY shapeChanged)
    Q_PROPERTY(qreal height READ height NOTIFY shapeChanged)
    Q_PROPERTY(qreal topRadius READ topRadius NOTIFY shapeChanged)
    Q_PROPERTY(qreal bottomRadius READ bottomRadius NOTIFY shapeChanged)
    Q_PROPERTY(qreal openWidth READ openWidth NOTIFY notchSizeChanged)
    Q_PROPERTY(qreal openHeight READ openHeight CONSTANT)
    Q_PROPERTY(qreal compactHeight READ compactHeight NOTIFY notchSizeChanged)
    Q_PROPERTY(QColor fillColor READ fillColor NOTIFY fillColorChanged)

public:
    enum class Spring { Open, Close, CloseButton };
    Q_ENUM(Spring)

    explicit NotchShapeModel(QObject* parent = nullptr);

    bool isOpen() const { return m_open; }
    bool isLiquid() const { return m_liquid; }
    qreal notchWidth() const { return m_notchWidth; }
    qreal notchHeight() const { return m_notchHeight; }
    qreal visibleDrop() const { return m_visibleDrop; }
    Spring spring() const { return m_spring; }
    NotchShape shape() const { return m_shape; }
    qreal width() const { return m_shape.width; }
    qreal height() const { return m_shape.height; }
    qreal topRadius() const { return m_shape.topRadius; }
    qreal bottomRadius() const { return m_shape.bottomRadius; }
    qreal openWidth() const { return NotchShape::openWidth(m_notchWidth); }
    static qreal openHeight() { return NotchShape::openHeight; }
    qreal compactHeight() const { return m_notchHeight + m_visibleDrop; }
    QColor fillColor() const { return m_fillColor; }

    void setOpen(bool open);
    void setLiquid(bool liquid);
    void setNotchWidth(qreal width);
    void setNotchHeight(qreal height);
    void setVisibleDrop(qreal drop);

    // The next close is the close button's: it springs with that button's curve instead of the usual one.
    Q_INVOKABLE void closeWithButtonSpring();

Q_SIGNALS:
    void openChanged();
    void liquidChanged();
    void notchSizeChanged();
    void springChanged();
    void shapeChanged();
    void fillColorChanged();

private:
    void setSpring(Spring spring);
    void updateShape();
    void updateFillColor();

    bool m_open = false;
    bool m_liquid = true;
    bool m_closeButtonPending = false;
    qreal m_notchWidth = 0;
    qreal m_notchHeight = 0;
    qreal m_visibleDrop;
    Spring m_spring = Spring::Close;
    NotchShape m_shape;
    QColor m_fillColor = Qt::black;
};

// The outline on its way to the shape model's target. One progress value, which the view's spring animation
// drives from 0 to 1, carries the width, the height and both radii together from where they stood when the
// target last changed, so each frame of the spring computes the path once. A new target mid-way starts from
// the shape shown at that moment.
class NotchShapeMotion : public QObject {
    Q_OBJECT
    Q_PROPERTY(NotchShapeModel* model READ model WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(qreal progress READ progress WRITE setProgress NOTIFY progressChanged)
    Q_PROPERTY(qreal width READ width NOTIFY shapeChanged)
    Q_PROPERTY(qreal height READ height NOTIFY shapeChanged)
    Q_PROPERTY(QString svgPath READ svgPath NOTIFY shapeChanged)

public:
    using QObject::QObject;

    NotchShapeModel* model() const { return m_model; }
    void setModel(NotchShapeModel* model);
    qreal progress() const { return m_progress; }
    void setProgress(qreal progress);
    NotchShape shape() const { return m_shape; }
    qreal width() const { return m_shape.width; }
    qreal height() const { return m_shape.height; }
    // The path of the current shape, centred in its own width.
    QString svgPath() const;

Q_SIGNALS:
    void modelChanged();
    void progressChanged();
    void shapeChanged();
    // The target moved: the progress is back at 0 and the spring starts again.
    void retargeted();

private:
    void retarget();
    void setShape(const NotchShape& shape);

    NotchShapeModel* m_model = nullptr;
    qreal m_progress = 1;
    NotchShape m_from;
    NotchShape m_to;
    NotchShape m_shape;
};
