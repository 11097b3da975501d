#pragma once

#include <QObject>

#include <optional>

// Keeps the machine awake, for a while or until told otherwise, and can keep it from sleeping with the lid
// closed. This version only keeps the state that the system tab shows and drives.
class CaffeinateService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    Q_PROPERTY(bool hasRemainingSeconds READ hasRemainingSeconds NOTIFY remainingSecondsChanged)
    Q_PROPERTY(qint64 remainingSeconds READ remainingSeconds NOTIFY remainingSecondsChanged)
    Q_PROPERTY(qint64 elapsedSeconds READ elapsedSeconds NOTIFY elapsedSecondsChanged)
    Q_PROPERTY(bool lidSleepPrevented READ lidSleepPrevented NOTIFY lidSleepPreventedChanged)

public:
    using QObject::QObject;

    bool isActive() const { return m_active; }
    bool hasRemainingSeconds() const { return m_remaining.has_value(); }
    qint64 remainingSeconds() const { return m_remaining.value_or(0); }
    qint64 elapsedSeconds() const { return 0; }
    bool lidSleepPrevented() const { return m_lidSleepPrevented; }

    Q_INVOKABLE void activate(std::optional<qint64> seconds) {
        m_remaining = seconds;
        setActive(true);
        Q_EMIT remainingSecondsChanged();
    }
    Q_INVOKABLE void activateFor(qint64 seconds) { activate(seconds); }
    Q_INVOKABLE void activateIndefinitely() { activate(std::nullopt); }
    Q_INVOKABLE void deactivate() {
        m_remaining.reset();
        setActive(false);
        Q_EMIT remainingSecondsChanged();
    }
    Q_INVOKABLE void setLidSleepPrevention(bool prevent) {
        if (m_lidSleepPrevented == prevent)
            return;
        m_lidSleepPrevented = prevent;
        Q_EMIT lidSleepPreventedChanged();
    }

Q_SIGNALS:
    void isActiveChanged();
    void remainingSecondsChanged();
    void elapsedSecondsChanged();
    void lidSleepPreventedChanged();

private:
    void setActive(bool active) {
        if (m_active == active)
            return;
        m_active = active;
        Q_EMIT isActiveChanged();
    }

    bool m_active = false;
    std::optional<qint64> m_remaining;
    bool m_lidSleepPrevented = false;
};
