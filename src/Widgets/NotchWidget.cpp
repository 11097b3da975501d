#include "Widgets/NotchWidget.h"

AnyNotchWidget::AnyNotchWidget(NotchWidget* widget, QObject* parent)
    : QObject(parent)
    , m_widget(widget)
    , m_id(widget->id())
    , m_name(widget->name())
    , m_priority(widget->priority())
    , m_group(widget->group()) {
    connect(widget, &NotchWidget::iconChanged, this, &AnyNotchWidget::iconChanged);
    connect(widget, &NotchWidget::isActiveChanged, this, &AnyNotchWidget::isActiveChanged);
    connect(widget, &NotchWidget::hasCompactContentChanged, this, &AnyNotchWidget::hasCompactContentChanged);
    connect(widget, &NotchWidget::showInCompactBarChanged, this, &AnyNotchWidget::showInCompactBarChanged);
    connect(widget, &QObject::destroyed, this, [this] {
        Q_EMIT widgetGone();
        Q_EMIT iconChanged();
        Q_EMIT isActiveChanged();
        Q_EMIT hasCompactContentChanged();
        Q_EMIT showInCompactBarChanged();
    });
}

QString AnyNotchWidget::icon() const {
    return m_widget ? m_widget->icon() : placeholderIcon;
}
bool AnyNotchWidget::isActive() const {
    return m_widget && m_widget->isActive();
}
bool AnyNotchWidget::hasCompactContent() const {
    return m_widget && m_widget->hasCompactContent();
}
bool AnyNotchWidget::showInCompactBar() const {
    return !m_widget || m_widget->showInCompactBar();
}
QUrl AnyNotchWidget::compactBody() const {
    return m_widget ? m_widget->compactBody() : QUrl();
}
QUrl AnyNotchWidget::expandedBody() const {
    return m_widget ? m_widget->expandedBody() : QUrl();
}
QObject* AnyNotchWidget::viewModel() const {
    return m_widget ? m_widget->viewModel() : nullptr;
}

void AnyNotchWidget::start() const {
    if (m_widget)
        m_widget->start();
}

void AnyNotchWidget::stop() const {
    if (m_widget)
        m_widget->stop();
}
