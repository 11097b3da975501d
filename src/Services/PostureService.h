#pragma once

#include "Services/IntervalReminderService.h"

// What the posture panels draw: the arrow at the bottom or flown to the top, and its opacity.
class PostureReminderState final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool flying READ flying NOTIFY flyingChanged)
    Q_PROPERTY(double opacity READ opacity NOTIFY opacityChanged)
public:
    using QObject::QObject;
    bool flying() const { return m_flying; }
    double opacity() const { return m_opacity; }
    void setFlying(bool flying);
    void setOpacity(double opacity);
Q_SIGNALS:
    void flyingChanged();
    void opacityChanged();

private:
    bool m_flying = false;
    double m_opacity = 0;
};

// The posture cue: a glowing arrow with a comet trail that fades in, flies up and fades out.
class PostureReminderWindow final : public QObject {
    Q_OBJECT
public:
    static constexpr QSizeF basePanel{120, 220};
    static constexpr int showMs = 1500;

    PostureReminderWindow(ReminderPanels::Dependencies dependencies, QObject* parent = nullptr);

    // On by "tavimor.postureEnabled", every "tavimor.postureIntervalMin" minutes (30 when absent).
    static IntervalReminderService::Keys keys();
    void show(ReminderSize size, ReminderPosition position);
    void hide();
    PostureReminderState& state() { return m_state; }
    const ReminderPanels& panels() const { return m_panels; }

private:
    PostureReminderState m_state;
    ReminderPanels m_panels;
};

using PostureService = IntervalReminder<PostureReminderWindow>;
