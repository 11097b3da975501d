#include "App/WidgetOrder.h"

#include <algorithm>

namespace WidgetOrder {

namespace {

qsizetype rank(const QString& id) {
    const qsizetype index = ids.indexOf(id);
    return index < 0 ? ids.size() : index;
}

} // namespace

QList<NotchWidget*> sorted(QList<NotchWidget*> widgets) {
    std::stable_sort(widgets.begin(), widgets.end(), [](const NotchWidget* a, const NotchWidget* b) {
        return rank(a->id()) < rank(b->id());
    });
    return widgets;
}

std::vector<std::unique_ptr<NotchWidget>> construct(std::vector<Maker> makers) {
    std::stable_sort(makers.begin(), makers.end(),
                     [](const Maker& a, const Maker& b) { return rank(a.id) < rank(b.id); });
    std::vector<std::unique_ptr<NotchWidget>> widgets;
    widgets.reserve(makers.size());
    for (const Maker& maker : makers)
        widgets.push_back(maker.make());
    return widgets;
}

} // namespace WidgetOrder
