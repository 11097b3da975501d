#include "App/WidgetOrder.h"

#include <algorithm>

namespace WidgetOrder {

QList<NotchWidget*> sorted(QList<NotchWidget*> widgets) {
    const auto rank = [](const NotchWidget* widget) {
        const qsizetype index = ids.indexOf(widget->id());
        return index < 0 ? ids.size() : index;
    };
    std::stable_sort(widgets.begin(), widgets.end(),
                     [&](const NotchWidget* a, const NotchWidget* b) { return rank(a) < rank(b); });
    return widgets;
}

} // namespace WidgetOrder
