#pragma once

#include "Widgets/NotchWidget.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace WidgetOrder {

// The ids of the panel's widgets in their registration order. Registration order decides ties of priority in
// the tab bar, so this list is the one place that fixes it.
inline const QStringList ids{
    QStringLiteral("daily"), QStringLiteral("system"),     QStringLiteral("music"),
    QStringLiteral("usage"), QStringLiteral("devices"),    QStringLiteral("servers"),
    QStringLiteral("shelf"), QStringLiteral("caffeinate"), QStringLiteral("audio"),
    QStringLiteral("notes"), QStringLiteral("break"),
};

// The widgets in registration order. A widget whose id is not in the list follows the known ones, in the
// order given.
QList<NotchWidget*> sorted(QList<NotchWidget*> widgets);

// What builds the widget of one id.
struct Maker {
    QString id;
    std::function<std::unique_ptr<NotchWidget>()> make;
};

// The widgets, built one after the other in registration order whatever the order of the makers (unknown
// ids last, in the order given).
std::vector<std::unique_ptr<NotchWidget>> construct(std::vector<Maker> makers);

} // namespace WidgetOrder
