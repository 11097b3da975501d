#include "Core/NotchGeometry.h"

#include <algorithm>

namespace NotchGeometry {

ScreenInfo notchScreen(const QList<ScreenInfo>& screens, const std::optional<ScreenInfo>& mainScreen) {
    const auto withNotch = std::find_if(screens.cbegin(), screens.cend(),
                                        [](const ScreenInfo& s) { return s.safeAreaTopInset > 0; });
    if (withNotch != screens.cend())
        return *withNotch;
    if (mainScreen)
        return *mainScreen;
    return screens.isEmpty() ? ScreenInfo{} : screens.first();
}

QRect notchRect(const ScreenInfo& screen) {
    if (!screen.auxiliaryTopLeftArea)
        return {};
    const int x = screen.auxiliaryTopLeftArea->width();
    if (!screen.auxiliaryTopRightArea)
        return QRect(x, 0, 0, 0);
    const int width = screen.frame.width() - x - screen.auxiliaryTopRightArea->width();
    return QRect(x, 0, width, screen.safeAreaTopInset);
}

QSizeF notchSize(const ScreenInfo& screen) {
    qreal width = 0;
    qreal height = 0;
    if (screen.auxiliaryTopLeftArea && screen.auxiliaryTopRightArea) {
        width = screen.frame.width() - screen.auxiliaryTopLeftArea->width() -
                screen.auxiliaryTopRightArea->width();
        height = screen.safeAreaTopInset;
    }
    return QSizeF(width > 0 ? width : fallbackNotchWidth, height > 0 ? height : fallbackNotchHeight);
}

QRectF effectiveNotchRect(const ScreenInfo& screen) {
    const QRect physical = notchRect(screen);
    if (physical.width() > 0 && physical.height() > 0)
        return QRectF(physical.translated(screen.frame.topLeft()));
    const QSizeF size = notchSize(screen);
    const qreal left = screen.frame.x() + (screen.frame.width() - size.width()) / 2;
    return QRectF(QPointF(left, screen.frame.y()), size);
}

QRectF panelFrame(const ScreenInfo& screen) {
    return QRectF(screen.frame.x(), screen.frame.y(), screen.frame.width(), panelHeight);
}

QRectF hoverZone(const ScreenInfo& screen) {
    return effectiveNotchRect(screen).adjusted(-hoverInsetX, -hoverInsetY, hoverInsetX, hoverInsetY);
}

QRectF keepOpenZone(const std::optional<QRectF>& panel, const ScreenInfo& screen) {
    if (!panel)
        return {};
    return QRectF(panel->center().x() - keepOpenWidth / 2, screen.frame.y(), keepOpenWidth, keepOpenHeight);
}

QRectF openOutline(qreal bandWidth, QSizeF notch) {
    const qreal width = std::max(notch.width(), expandedPanelWidth);
    return QRectF((bandWidth - width) / 2, 0, width, expandedPanelHeight);
}

bool contains(const QRectF& rect, const QPointF& point) {
    return point.x() >= rect.left() && point.x() < rect.left() + rect.width() && point.y() >= rect.top() &&
           point.y() < rect.top() + rect.height();
}

} // namespace NotchGeometry
