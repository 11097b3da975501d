#include "Core/CompactBarLayout.h"

#include "Models/NotchHardwareProfile.h"

CompactBarArrangement CompactBarLayout::arrange(const QList<AnyNotchWidget*>& widgets,
                                                const CompactBarInput& input) {
    CompactBarArrangement result;
    qsizetype sidePosition = 0;
    for (AnyNotchWidget* widget : widgets) {
        if (widget->id() == musicWidgetId) {
            if (!result.musicWidget)
                result.musicWidget = widget;
            continue;
        }
        if (!widget->showInCompactBar())
            continue;
        (sidePosition++ % 2 == 0 ? result.leftWidgets : result.rightWidgets).append(widget);
    }
    result.showsCentre = !input.sidesOnly && result.musicWidget && result.musicWidget->hasCompactContent();
    result.sideMargin = result.showsCentre ? input.musicSideWidth : plainSideMargin;
    result.centreWidth = input.notchWidth + 2 * result.sideMargin;
    result.sideWidth = (input.panelWidth - result.centreWidth) / 2;
    return result;
}

CompactBarLayout::CompactBarLayout(QObject* parent)
    : QObject(parent) {
    m_input.musicSideWidth = NotchHardwareProfile::current().musicSideWidth;
    rearrange();
}

QList<QObject*> CompactBarLayout::widgets() const {
    QList<QObject*> widgets;
    for (const QPointer<AnyNotchWidget>& widget : m_widgets) {
        if (widget)
            widgets.append(widget);
    }
    return widgets;
}

void CompactBarLayout::setWidgets(const QList<QObject*>& widgets) {
    for (const QPointer<AnyNotchWidget>& widget : std::as_const(m_widgets)) {
        if (widget)
            disconnect(widget, &QObject::destroyed, this, nullptr);
    }
    m_widgets.clear();
    for (QObject* object : widgets) {
        if (auto* widget = qobject_cast<AnyNotchWidget*>(object)) {
            m_widgets.append(widget);
            connect(widget, &QObject::destroyed, this, &CompactBarLayout::rearrange);
        }
    }
    Q_EMIT widgetsChanged();
    rearrange();
}

void CompactBarLayout::setPanelWidth(qreal width) {
    CompactBarInput input = m_input;
    input.panelWidth = width;
    setInput(input);
}

void CompactBarLayout::setNotchWidth(qreal width) {
    CompactBarInput input = m_input;
    input.notchWidth = width;
    setInput(input);
}

void CompactBarLayout::setMusicSideWidth(qreal width) {
    CompactBarInput input = m_input;
    input.musicSideWidth = width;
    setInput(input);
}

void CompactBarLayout::setSidesOnly(bool sidesOnly) {
    CompactBarInput input = m_input;
    input.sidesOnly = sidesOnly;
    setInput(input);
}

void CompactBarLayout::setInput(const CompactBarInput& input) {
    if (input.panelWidth == m_input.panelWidth && input.notchWidth == m_input.notchWidth &&
        input.musicSideWidth == m_input.musicSideWidth && input.sidesOnly == m_input.sidesOnly)
        return;
    m_input = input;
    Q_EMIT inputChanged();
    rearrange();
}

void CompactBarLayout::rearrange() {
    QList<AnyNotchWidget*> widgets;
    for (const QPointer<AnyNotchWidget>& widget : m_widgets) {
        if (widget)
            widgets.append(widget);
    }
    const CompactBarArrangement next = arrange(widgets, m_input);
    const CompactBarArrangement previous = std::exchange(m_arrangement, next);
    if (next.musicWidget != previous.musicWidget)
        Q_EMIT musicWidgetChanged();
    if (next.leftWidgets != previous.leftWidgets)
        Q_EMIT leftWidgetsChanged();
    if (next.rightWidgets != previous.rightWidgets)
        Q_EMIT rightWidgetsChanged();
    if (next.showsCentre != previous.showsCentre || next.sideMargin != previous.sideMargin ||
        next.centreWidth != previous.centreWidth || next.sideWidth != previous.sideWidth)
        Q_EMIT geometryChanged();
}
