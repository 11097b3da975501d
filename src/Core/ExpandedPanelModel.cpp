#include "Core/ExpandedPanelModel.h"

#include "Foundation/L10n.h"
#include "Theme/TavimorTheme.h"

#include <algorithm>

QString ExpandedPanelModel::effectiveWidgetId(const QList<AnyNotchWidget*>& widgets,
                                              const std::optional<QString>& selected) {
    if (widgets.isEmpty())
        return {};
    const bool selectedIsActive =
        selected && std::any_of(widgets.begin(), widgets.end(),
                                [&](const AnyNotchWidget* widget) { return widget->id() == *selected; });
    return selectedIsActive ? *selected : widgets.first()->id();
}

QList<AnyNotchWidget*> ExpandedPanelModel::inGroup(const QList<AnyNotchWidget*>& widgets, WidgetGroup group) {
    QList<AnyNotchWidget*> members;
    std::copy_if(widgets.begin(), widgets.end(), std::back_inserter(members),
                 [group](const AnyNotchWidget* widget) { return widget->group() == group; });
    return members;
}

QColor ExpandedPanelModel::tabForeground(bool selected) {
    return selected ? TavimorTheme::accent() : TavimorTheme::secondaryLabel();
}

QColor ExpandedPanelModel::tabBackground(bool selected) {
    if (!selected)
        return Qt::transparent;
    QColor tint = TavimorTheme::accent();
    tint.setAlphaF(0.14f);
    return tint;
}

QColor ExpandedPanelModel::toolForeground(bool liquid) {
    return TavimorTheme::secondaryText(liquid);
}

QColor ExpandedPanelModel::toolBackground(bool liquid) {
    return liquid ? QColor(0, 0, 0, qRound(0.10 * 255)) : TavimorTheme::surface();
}

QColor ExpandedPanelModel::dividerColor(bool liquid) {
    return liquid ? QColor(0, 0, 0, qRound(0.12 * 255)) : TavimorTheme::surface();
}

QString ExpandedPanelModel::settingsToolTip() {
    return L10n::text("painel.acao.configuracoes", "Configurações",
                      "Tooltip da engrenagem na barra de abas do notch");
}

ExpandedPanelModel::ExpandedPanelModel(QObject* parent)
    : QObject(parent) {}

QList<QObject*> ExpandedPanelModel::widgets() const {
    const QList<AnyNotchWidget*> live = liveWidgets();
    return {live.begin(), live.end()};
}

QObject* ExpandedPanelModel::currentWidget() const {
    return m_currentWidget.data();
}

void ExpandedPanelModel::setStateManager(NotchStateManager* stateManager) {
    if (m_stateManager == stateManager)
        return;
    if (m_stateManager)
        disconnect(m_stateManager, nullptr, this, nullptr);
    m_stateManager = stateManager;
    if (stateManager) {
        connect(stateManager, &NotchStateManager::activeWidgetIdChanged, this,
                &ExpandedPanelModel::updateSelection);
    }
    Q_EMIT stateManagerChanged();
    updateSelection();
}

void ExpandedPanelModel::setWidgets(const QList<QObject*>& widgets) {
    QList<QPointer<AnyNotchWidget>> next;
    for (QObject* object : widgets) {
        if (auto* widget = qobject_cast<AnyNotchWidget*>(object))
            next.append(widget);
    }
    if (next == m_widgets)
        return;
    m_widgets = next;
    Q_EMIT widgetsChanged();
    Q_EMIT groupsChanged();
    updateSelection();
}

void ExpandedPanelModel::setLiquid(bool liquid) {
    if (m_liquid == liquid)
        return;
    m_liquid = liquid;
    Q_EMIT liquidChanged();
}

void ExpandedPanelModel::select(const QString& widgetId) {
    if (m_stateManager)
        m_stateManager->setActiveWidgetId(widgetId);
}

QList<AnyNotchWidget*> ExpandedPanelModel::liveWidgets() const {
    QList<AnyNotchWidget*> live;
    for (const QPointer<AnyNotchWidget>& widget : m_widgets) {
        if (widget)
            live.append(widget);
    }
    return live;
}

QList<QObject*> ExpandedPanelModel::objectsInGroup(WidgetGroup group) const {
    const QList<AnyNotchWidget*> members = inGroup(liveWidgets(), group);
    return {members.begin(), members.end()};
}

void ExpandedPanelModel::updateSelection() {
    const QList<AnyNotchWidget*> widgets = liveWidgets();
    const QString id =
        effectiveWidgetId(widgets, m_stateManager ? m_stateManager->activeWidgetId() : std::nullopt);
    const auto current = std::find_if(widgets.begin(), widgets.end(),
                                      [&](const AnyNotchWidget* widget) { return widget->id() == id; });
    AnyNotchWidget* currentWidget = current == widgets.end() ? nullptr : *current;
    if (id == m_effectiveWidgetId && currentWidget == m_currentWidget)
        return;
    m_effectiveWidgetId = id;
    m_currentWidget = currentWidget;
    Q_EMIT selectionChanged();
}
