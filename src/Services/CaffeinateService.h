#pragma once

#include "Foundation/DegradedReporter.h"
#include "Platform/Logind/IInhibitor.h"

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

// The platform locks keep-awake takes: one against idle system sleep, one against display blanking, and the
// lid-switch lock.
struct CaffeinateLocks {
    std::shared_ptr<IInhibitor> system;
    std::shared_ptr<IInhibitor> display;
    std::shared_ptr<IInhibitor> lid;
    DegradedReporter reportDegraded;

    // logind on the system bus, the desktop's (or the X server's) screen saver on the session bus.
    static CaffeinateLocks onThisSystem(DegradedReporter reportDegraded = {});
};

// Keeps the machine awake on request, for a number of seconds or until switched off, counting the seconds
// since activation and the seconds left; a timed request lets go by itself. Keep-awake is on only while both
// the system and the display locks are held. Also carries the switch that keeps a closed lid from suspending.
class CaffeinateService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    Q_PROPERTY(bool hasRemainingSeconds READ hasRemainingSeconds NOTIFY remainingSecondsChanged)
    Q_PROPERTY(qint64 remainingSeconds READ remainingSecondsOrZero NOTIFY remainingSecondsChanged)
    Q_PROPERTY(qint64 elapsedSeconds READ elapsedSeconds NOTIFY elapsedSecondsChanged)
    Q_PROPERTY(bool lidSleepPrevented READ lidSleepPrevented NOTIFY lidSleepPreventedChanged)

public:
    explicit CaffeinateService(QObject* parent = nullptr);
    explicit CaffeinateService(CaffeinateLocks locks, QObject* parent = nullptr);
    ~CaffeinateService() override;

    bool isActive() const { return m_isActive; }
    std::optional<qint64> remainingSeconds() const { return m_remainingSeconds; }
    bool hasRemainingSeconds() const { return m_remainingSeconds.has_value(); }
    qint64 remainingSecondsOrZero() const { return m_remainingSeconds.value_or(0); }
    qint64 elapsedSeconds() const { return m_elapsedSeconds; }
    bool lidSleepPrevented() const { return m_lidSleepPrevented; }

    // Starts keep-awake (none = until deactivated), or replaces the time left of a running one. The locks are
    // asked for without blocking; a refusal leaves the service inactive.
    Q_INVOKABLE void activate(std::optional<qint64> durationSeconds);
    Q_INVOKABLE void activateFor(qint64 seconds) { activate(seconds); }
    Q_INVOKABLE void activateIndefinitely() { activate(std::nullopt); }
    Q_INVOKABLE void deactivate();
    Q_INVOKABLE void setLidSleepPrevention(bool on);

    // One second of the countdown; the service's own 1 s timer calls it.
    void tick();

    // The whole minutes in a count of seconds, the part under a minute dropped (none for a negative count):
    // how every view counts the minutes of keep-awake, so that the tabs agree.
    static qint64 wholeMinutes(qint64 seconds) { return std::max<qint64>(seconds, 0) / 60; }

Q_SIGNALS:
    void isActiveChanged();
    void remainingSecondsChanged();
    void elapsedSecondsChanged();
    void lidSleepPreventedChanged();

private:
    void onLockAnswer(quint64 generation, InhibitorLock& slot, InhibitorLock lock);
    void finishActivation();
    void releaseLocks();
    void setActive(bool active);
    void setRemaining(std::optional<qint64> remaining);
    void setElapsed(qint64 elapsed);
    void setLidFlag(bool on);

    CaffeinateLocks m_locks;
    QTimer m_timer;
    bool m_isActive = false;
    std::optional<qint64> m_remainingSeconds;
    qint64 m_elapsedSeconds = 0;
    bool m_lidSleepPrevented = false;

    InhibitorLock m_systemLock;
    InhibitorLock m_displayLock;
    InhibitorLock m_lidLock;
    quint64 m_generation = 0;
    int m_answersPending = 0;
    std::optional<qint64> m_requestedDuration;
    bool m_reportedUnavailable = false;
};
