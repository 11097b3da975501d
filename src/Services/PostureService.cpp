#include "Services/PostureService.h"

#include "Foundation/NotificationCenter.h"
#include "Models/TavimorPreferences.h"

void PostureReminderState::setFlying(bool flying) {
    if (flying == m_flying)
        return;
    m_flying = flying;
    Q_EMIT flyingChanged();
}

void PostureReminderState::setOpacity(double opacity) {
    if (qFuzzyCompare(1 + opacity, 1 + m_opacity))
        return;
    m_opacity = opacity;
    Q_EMIT opacityChanged();
}

PostureReminderWindow::PostureReminderWindow(ReminderPanels::Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_panels(dependencies, QUrl(QStringLiteral("qrc:/Views/Reminders/PostureReminderView.qml")), &m_state) {
}

IntervalReminderService::Keys PostureReminderWindow::keys() {
    return {QStringLiteral("tavimor.postureEnabled"), ReminderSchedule::postureIntervalMin,
            Notifications::postureSettingsChanged,    Notifications::posturePreviewRequested,
            &TavimorPreferences::posturePosition,     &TavimorPreferences::postureSize};
}

void PostureReminderWindow::show(ReminderSize size, ReminderPosition position) {
    m_panels.cancelPending();
    const double scale = ReminderPlacement::scale(size);
    m_state.setFlying(false);
    m_state.setOpacity(0);
    m_panels.showAt(position, basePanel * scale, scale, showMs);
    m_panels.after(20, [this] {
        m_state.setOpacity(1);
        m_state.setFlying(true);
    });
    m_panels.after(950, [this] { m_state.setOpacity(0); });
    m_panels.after(showMs, [this] { hide(); });
}

void PostureReminderWindow::hide() {
    m_panels.cancelPending();
    m_panels.orderOut();
    m_state.setFlying(false);
    m_state.setOpacity(0);
}
