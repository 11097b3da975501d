#include "Services/BlinkService.h"

#include "Foundation/NotificationCenter.h"
#include "Models/TavimorPreferences.h"

void BlinkReminderState::setVisible(bool visible) {
    if (visible == m_visible)
        return;
    m_visible = visible;
    Q_EMIT visibleChanged();
}

void BlinkReminderState::setClosed(bool closed) {
    if (closed == m_closed)
        return;
    m_closed = closed;
    Q_EMIT closedChanged();
}

BlinkReminderWindow::BlinkReminderWindow(ReminderPanels::Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_panels(dependencies, QUrl(QStringLiteral("qrc:/Views/Reminders/BlinkReminderView.qml")), &m_state) {}

IntervalReminderService::Keys BlinkReminderWindow::keys() {
    return {QStringLiteral("tavimor.blinkEnabled"), ReminderSchedule::blinkIntervalMin,
            Notifications::blinkSettingsChanged,    Notifications::blinkPreviewRequested,
            &TavimorPreferences::blinkPosition,     &TavimorPreferences::blinkSize};
}

void BlinkReminderWindow::show(ReminderSize size, ReminderPosition position) {
    const double scale = ReminderPlacement::scale(size);
    const double side = basePanel * scale;
    m_panels.cancelPending();
    m_state.setVisible(false);
    m_state.setClosed(false);
    m_panels.showAt(position, QSizeF(side, side), scale, showMs);
    const std::pair<int, std::function<void()>> steps[] = {
        {20, [this] { m_state.setVisible(true); }},  {400, [this] { m_state.setClosed(true); }},
        {500, [this] { m_state.setClosed(false); }}, {660, [this] { m_state.setClosed(true); }},
        {770, [this] { m_state.setClosed(false); }}, {1500, [this] { m_state.setVisible(false); }},
        {showMs, [this] { m_panels.orderOut(); }},
    };
    for (const auto& [delay, step] : steps)
        m_panels.after(delay, step);
}

void BlinkReminderWindow::hide() {
    m_panels.cancelPending();
    m_panels.orderOut();
    m_state.setVisible(false);
    m_state.setClosed(false);
}
