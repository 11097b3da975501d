#pragma once

#include "Services/IntervalReminderService.h"

// What the blink panels draw: the eye shown or not, open or closed.
class BlinkReminderState final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool visible READ visible NOTIFY visibleChanged)
    Q_PROPERTY(bool closed READ closed NOTIFY closedChanged)
public:
    using QObject::QObject;
    bool visible() const { return m_visible; }
    bool closed() const { return m_closed; }
    void setVisible(bool visible);
    void setClosed(bool closed);
Q_SIGNALS:
    void visibleChanged();
    void closedChanged();

private:
    bool m_visible = false;
    bool m_closed = false;
};

// The blink cue: an eye on a dark disc that fades in, blinks twice and fades out within 1.85 s.
class BlinkReminderWindow final : public QObject {
    Q_OBJECT
public:
    static constexpr double basePanel = 92;
    static constexpr int showMs = 1850;

    BlinkReminderWindow(ReminderPanels::Dependencies dependencies, QObject* parent = nullptr);

    // On by "tavimor.blinkEnabled", every "tavimor.blinkIntervalMin" minutes (5 when absent).
    static IntervalReminderService::Keys keys();
    void show(ReminderSize size, ReminderPosition position);
    void hide();
    BlinkReminderState& state() { return m_state; }
    const ReminderPanels& panels() const { return m_panels; }

private:
    BlinkReminderState m_state;
    ReminderPanels m_panels;
};

using BlinkService = IntervalReminder<BlinkReminderWindow>;
