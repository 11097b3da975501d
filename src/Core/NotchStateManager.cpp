#include "Core/NotchStateManager.h"

NotchStateManager::NotchStateManager(QObject* parent)
    : QObject(parent) {}

void NotchStateManager::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

void NotchStateManager::setActiveWidgetId(const std::optional<QString>& id) {
    if (m_activeWidgetId == id)
        return;
    m_activeWidgetId = id;
    Q_EMIT activeWidgetIdChanged();
}

void NotchStateManager::setContentVisible(bool visible) {
    if (m_contentVisible == visible)
        return;
    m_contentVisible = visible;
    Q_EMIT contentVisibleChanged();
}

void NotchStateManager::setOnOpenChange(OpenChangeHook hook) {
    m_onOpenChange = std::move(hook);
    Q_EMIT onOpenChangeChanged();
}

void NotchStateManager::open() {
    if (m_state == State::Open)
        return;
    setContentVisible(true);
    setState(State::Open);
    if (m_onOpenChange)
        m_onOpenChange(true);
}

void NotchStateManager::close() {
    if (m_state == State::Closed)
        return;
    setContentVisible(false);
    setActiveWidgetId(std::nullopt);
    setState(State::Closed);
    if (m_onOpenChange)
        m_onOpenChange(false);
}

QVariant NotchStateManager::activeWidgetIdVariant() const {
    return m_activeWidgetId ? QVariant(*m_activeWidgetId) : QVariant();
}

void NotchStateManager::setActiveWidgetIdVariant(const QVariant& id) {
    setActiveWidgetId(id.isNull() || !id.isValid() ? std::nullopt : std::optional<QString>(id.toString()));
}
