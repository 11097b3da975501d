#pragma once

#include "Platform/Screens/IScreens.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Where the notch panel goes and which areas of it react to the pointer. Everything is in Qt's frame:
// global logical pixels, y down, rectangles half-open (the far edges are outside).
namespace NotchGeometry {

inline constexpr qreal panelHeight = 340;
inline constexpr qreal hoverInsetX = 24;
inline constexpr qreal hoverInsetY = 12;
inline constexpr qreal keepOpenWidth = 600;
inline constexpr qreal keepOpenHeight = 340;
inline constexpr qreal fallbackNotchWidth = 200;
inline constexpr qreal fallbackNotchHeight = 32;
inline constexpr qreal expandedPanelWidth = 520;
inline constexpr qreal expandedPanelHeight = 300;

// The first screen with a top safe-area inset, else the main screen, else the first screen; a default
// (empty) screen when there is none at all.
ScreenInfo notchScreen(const QList<ScreenInfo>& screens, const std::optional<ScreenInfo>& mainScreen);

// The physical notch in the screen's own coordinates (origin at its top-left); empty without one.
QRect notchRect(const ScreenInfo& screen);

// The notch size the views draw: the notch between the two auxiliary areas, 200 by 32 where there is none.
QSizeF notchSize(const ScreenInfo& screen);

// The one notch rectangle, global, used for drawing, the hover zone and the input region: the physical notch
// when the screen has one, else a rectangle of `notchSize` centred at the top of the screen.
QRectF effectiveNotchRect(const ScreenInfo& screen);

QRectF panelFrame(const ScreenInfo& screen);
QRectF hoverZone(const ScreenInfo& screen);
// The expanded panel grown by 40 on the left, right and below, centred on the panel and hanging from the top
// of the notch screen; empty when there is no panel.
QRectF keepOpenZone(const std::optional<QRectF>& panel, const ScreenInfo& screen);

// The open outline's bounds, in the panel's own coordinates (centred, hanging from its top edge).
QRectF openOutline(qreal bandWidth, QSizeF notch);

// Half-open containment: left and top edges inside, right and bottom edges outside.
bool contains(const QRectF& rect, const QPointF& point);

} // namespace NotchGeometry
