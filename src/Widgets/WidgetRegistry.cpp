#include "Widgets/WidgetRegistry.h"

#include <algorithm>

WidgetRegistry::WidgetRegistry(QObject* parent)
    : QObject(parent) {}

void WidgetRegistry::registerWidget(NotchWidget* widget) {
    auto* record = new AnyNotchWidget(widget, this);
    for (auto signal : {&AnyNotchWidget::iconChanged, &AnyNotchWidget::isActiveChanged,
                        &AnyNotchWidget::hasCompactContentChanged, &AnyNotchWidget::showInCompactBarChanged,
                        &AnyNotchWidget::widgetGone}) {
        connect(record, signal, this, &WidgetRegistry::activeWidgetsChanged);
    }
    m_widgets.append(record);
    Q_EMIT activeWidgetsChanged();
}

QList<AnyNotchWidget*> WidgetRegistry::activeWidgets() const {
    QList<AnyNotchWidget*> active;
    std::copy_if(m_widgets.begin(), m_widgets.end(), std::back_inserter(active),
                 [](const AnyNotchWidget* record) { return record->isActive(); });
    std::stable_sort(active.begin(), active.end(), [](const AnyNotchWidget* a, const AnyNotchWidget* b) {
        return a->priority() < b->priority();
    });
    return active;
}

QList<QObject*> WidgetRegistry::activeWidgetObjects() const {
    const QList<AnyNotchWidget*> active = activeWidgets();
    return {active.begin(), active.end()};
}

void WidgetRegistry::startAll() {
    for (const AnyNotchWidget* record : m_widgets)
        record->start();
}

void WidgetRegistry::stopAll() {
    stopAll({});
}

void WidgetRegistry::stopAll(const QSet<QString>& except) {
    for (const AnyNotchWidget* record : m_widgets) {
        if (!except.contains(record->id()))
            record->stop();
    }
}

void WidgetRegistry::pauseExpandedOnly() {
    for (const AnyNotchWidget* record : m_widgets) {
        if (expandedOnlyIDs.contains(record->id()))
            record->stop();
    }
}

void WidgetRegistry::resumeExpandedOnly() {
    for (const AnyNotchWidget* record : m_widgets) {
        if (expandedOnlyIDs.contains(record->id()))
            record->start();
    }
}
