#include "Core/NotchShape.h"

#include "Models/NotchHardwareProfile.h"
#include "Theme/TavimorTheme.h"

#include <algorithm>

NotchShape NotchShape::closed(qreal notchWidth, qreal notchHeight, qreal visibleDrop) {
    return {notchWidth, notchHeight + visibleDrop, 0, closedBottomRadius};
}

NotchShape NotchShape::opened(qreal notchWidth) {
    return {openWidth(notchWidth), openHeight, 0, openBottomRadius};
}

qreal NotchShape::openWidth(qreal notchWidth) {
    return std::max(notchWidth, openMinimumWidth);
}

QList<NotchPathElement> NotchShape::pathElements(qreal middleX) const {
    using Kind = NotchPathElement::Kind;
    const qreal left = middleX - width / 2;
    const qreal right = middleX + width / 2;
    return {
        {Kind::MoveTo, {left, 0}, {}},
        {Kind::LineTo, {right, 0}, {}},
        {Kind::QuadTo, {right, topRadius}, {right, 0}},
        {Kind::LineTo, {right, height - bottomRadius}, {}},
        {Kind::QuadTo, {right - bottomRadius, height}, {right, height}},
        {Kind::LineTo, {left + bottomRadius, height}, {}},
        {Kind::QuadTo, {left, height - bottomRadius}, {left, height}},
        {Kind::LineTo, {left, topRadius}, {}},
        {Kind::QuadTo, {left, 0}, {left, 0}},
        {Kind::Close, {}, {}},
    };
}

namespace {

QString svgPoint(QPointF point) {
    return QString::number(point.x(), 'f', 3) + u',' + QString::number(point.y(), 'f', 3);
}

QString svgCommand(const NotchPathElement& element) {
    switch (element.kind) {
    case NotchPathElement::Kind::MoveTo:
        return QStringLiteral("M ") + svgPoint(element.to);
    case NotchPathElement::Kind::LineTo:
        return QStringLiteral("L ") + svgPoint(element.to);
    case NotchPathElement::Kind::QuadTo:
        return QStringLiteral("Q ") + svgPoint(element.control) + u' ' + svgPoint(element.to);
    case NotchPathElement::Kind::Close:
        break;
    }
    return QStringLiteral("Z");
}

} // namespace

QString NotchShape::svgPath(qreal middleX) const {
    QStringList commands;
    for (const NotchPathElement& element : pathElements(middleX))
        commands.append(svgCommand(element));
    return commands.join(u' ');
}

QPainterPath NotchShape::path(qreal middleX) const {
    QPainterPath path;
    for (const NotchPathElement& element : pathElements(middleX)) {
        switch (element.kind) {
        case NotchPathElement::Kind::MoveTo:
            path.moveTo(element.to);
            break;
        case NotchPathElement::Kind::LineTo:
            path.lineTo(element.to);
            break;
        case NotchPathElement::Kind::QuadTo:
            path.quadTo(element.control, element.to);
            break;
        case NotchPathElement::Kind::Close:
            path.closeSubpath();
            break;
        }
    }
    return path;
}

NotchShape NotchShape::between(const NotchShape& from, const NotchShape& to, qreal progress) {
    const auto at = [progress](qreal a, qreal b) { return a + (b - a) * progress; };
    return {at(from.width, to.width), at(from.height, to.height), at(from.topRadius, to.topRadius),
            at(from.bottomRadius, to.bottomRadius)};
}

QColor notchFillColor(bool liquid, bool open) {
    if (!liquid)
        return TavimorTheme::background();
    return open ? QColor(Qt::transparent) : QColor(Qt::black);
}

NotchShapeModel::NotchShapeModel(QObject* parent)
    : QObject(parent)
    , m_visibleDrop(NotchHardwareProfile::current().compactVisibleDrop) {
    updateShape();
    updateFillColor();
}

void NotchShapeModel::setOpen(bool open) {
    if (m_open == open)
        return;
    m_open = open;
    if (open) {
        m_closeButtonPending = false;
        setSpring(Spring::Open);
    } else {
        setSpring(m_closeButtonPending ? Spring::CloseButton : Spring::Close);
        m_closeButtonPending = false;
    }
    Q_EMIT openChanged();
    updateShape();
    updateFillColor();
}

void NotchShapeModel::setLiquid(bool liquid) {
    if (m_liquid == liquid)
        return;
    m_liquid = liquid;
    Q_EMIT liquidChanged();
    updateFillColor();
}

void NotchShapeModel::setNotchWidth(qreal width) {
    if (m_notchWidth == width)
        return;
    m_notchWidth = width;
    Q_EMIT notchSizeChanged();
    updateShape();
}

void NotchShapeModel::setNotchHeight(qreal height) {
    if (m_notchHeight == height)
        return;
    m_notchHeight = height;
    Q_EMIT notchSizeChanged();
    updateShape();
}

void NotchShapeModel::setVisibleDrop(qreal drop) {
    if (m_visibleDrop == drop)
        return;
    m_visibleDrop = drop;
    Q_EMIT notchSizeChanged();
    updateShape();
}

void NotchShapeModel::closeWithButtonSpring() {
    if (m_open)
        m_closeButtonPending = true;
}

void NotchShapeModel::setSpring(Spring spring) {
    if (m_spring == spring)
        return;
    m_spring = spring;
    Q_EMIT springChanged();
}

void NotchShapeModel::updateShape() {
    const NotchShape shape = m_open ? NotchShape::opened(m_notchWidth)
                                    : NotchShape::closed(m_notchWidth, m_notchHeight, m_visibleDrop);
    if (shape == m_shape)
        return;
    m_shape = shape;
    Q_EMIT shapeChanged();
}

void NotchShapeModel::updateFillColor() {
    const QColor color = notchFillColor(m_liquid, m_open);
    if (color == m_fillColor)
        return;
    m_fillColor = color;
    Q_EMIT fillColorChanged();
}

void NotchShapeMotion::setModel(NotchShapeModel* model) {
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    if (m_model) {
        connect(m_model, &NotchShapeModel::shapeChanged, this, &NotchShapeMotion::retarget);
        m_from = m_to = m_model->shape();
        setProgress(1);
        setShape(m_to);
    }
    Q_EMIT modelChanged();
}

void NotchShapeMotion::setProgress(qreal progress) {
    if (m_progress == progress)
        return;
    m_progress = progress;
    Q_EMIT progressChanged();
    setShape(NotchShape::between(m_from, m_to, m_progress));
}

QString NotchShapeMotion::svgPath() const {
    return m_shape.svgPath(m_shape.width / 2);
}

void NotchShapeMotion::retarget() {
    m_from = m_shape;
    m_to = m_model->shape();
    setProgress(0);
    Q_EMIT retargeted();
}

void NotchShapeMotion::setShape(const NotchShape& shape) {
    if (m_shape == shape)
        return;
    m_shape = shape;
    Q_EMIT shapeChanged();
}
