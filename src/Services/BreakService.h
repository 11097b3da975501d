#pragma once

#include "Foundation/Clock.h"
#include "Foundation/DueTimer.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QVariant>

#include <memory>

class BreakService;
class ILogindSession;
class IPreferences;
class IPresence;
class NotificationCenter;

// The full-screen windows of a break.
class IBreakOverlay {
public:
    virtual ~IBreakOverlay() = default;
    virtual void present(BreakService& service) = 0;
    virtual void dismiss() = 0;
};

// Screen breaks: while breaks are on, counts a work interval down; when it has run out and the user is at
// the machine, covers every screen with a break and counts the break down. The break can be snoozed (it
// comes back after a short postponement), skipped, or ended by locking the screen; strict mode limits
// skipping to the snoozes allowed. A timer falls due at the moment the next break is due; during a break, the
// countdown ticks once a second.
class BreakService final : public QObject {
    Q_OBJECT
    Q_PROPERTY(Phase phase READ phase NOTIFY phaseChanged)
    Q_PROPERTY(QDateTime nextBreakDate READ nextBreakDate NOTIFY nextBreakDateChanged)
    Q_PROPERTY(qint64 remaining READ remaining NOTIFY remainingChanged)
    Q_PROPERTY(qint64 snoozesUsed READ snoozesUsed NOTIFY snoozesUsedChanged)
    Q_PROPERTY(bool isPreview READ isPreview NOTIFY isPreviewChanged)
    Q_PROPERTY(qint64 workIntervalSec READ workIntervalSec NOTIFY workIntervalSecChanged)
    Q_PROPERTY(qint64 breakDurationSec READ breakDurationSec NOTIFY breakDurationSecChanged)
    Q_PROPERTY(qint64 maxSnoozes READ maxSnoozes NOTIFY maxSnoozesChanged)
    Q_PROPERTY(bool strict READ strict NOTIFY strictChanged)
    Q_PROPERTY(bool canSkip READ canSkip NOTIFY canSkipChanged)
    Q_PROPERTY(bool canSnooze READ canSnooze NOTIFY canSnoozeChanged)
    Q_PROPERTY(qint64 snoozesRemaining READ snoozesRemaining NOTIFY snoozesRemainingChanged)

public:
    enum class Phase { idle, active };
    Q_ENUM(Phase)

    static constexpr int tickMs = 1000;

    struct Dependencies {
        IPreferences& preferences;
        const IClock& clock;
        IScheduler& scheduler;
        const IPresence& presence;
        ILogindSession* session = nullptr; // locks the screen
        NotificationCenter& notifications;
    };

    BreakService(Dependencies dependencies, std::unique_ptr<IBreakOverlay> overlay,
                 QObject* parent = nullptr);
    ~BreakService() override;

    Phase phase() const { return m_phase; }
    QDateTime nextBreakDate() const { return m_nextBreakDate; }
    qint64 remaining() const { return m_remaining; }
    qint64 snoozesUsed() const { return m_snoozesUsed; }
    bool isPreview() const { return m_isPreview; }
    qint64 workIntervalSec() const { return m_workIntervalSec; }
    qint64 breakDurationSec() const { return m_breakDurationSec; }
    qint64 maxSnoozes() const { return m_maxSnoozes; }
    bool strict() const { return m_strict; }
    bool canSkip() const;
    bool canSnooze() const { return m_maxSnoozes - m_snoozesUsed >= 1; }
    qint64 snoozesRemaining() const { return std::max<qint64>(0, m_maxSnoozes - m_snoozesUsed); }
    // None during a break or while breaks are off; otherwise whole seconds to the next break, never negative.
    std::optional<qint64> secondsUntilNextBreak() const;
    bool isTicking() const { return m_due.isArmed() || m_countdown.isArmed(); }
    const IClock& clock() const { return m_deps.clock; }

    void start();
    void stop();
    void applySettings();
    Q_INVOKABLE void previewBreak();
    Q_INVOKABLE void takeBreakNow();
    Q_INVOKABLE void skip();
    Q_INVOKABLE void snooze();
    Q_INVOKABLE void lockScreen();

Q_SIGNALS:
    void phaseChanged();
    void nextBreakDateChanged();
    void remainingChanged();
    void snoozesUsedChanged();
    void isPreviewChanged();
    void workIntervalSecChanged();
    void breakDurationSecChanged();
    void maxSnoozesChanged();
    void strictChanged();
    void canSkipChanged();
    void canSnoozeChanged();
    void snoozesRemainingChanged();

private:
    bool breaksEnabled() const;
    void removeObservers();
    void halt();
    void loadConfig();
    void fallDue();
    // One second of the break's countdown.
    void tick();
    void beginBreak(bool keepSnoozeCount);
    void endBreak(bool rescheduleFresh);
    void scheduleIn(qint64 seconds);
    void clearSchedule();

    template <typename T> void assign(T& field, const T& value, void (BreakService::*changed)());
    void updateDerived(const std::function<void()>& change);

    Dependencies m_deps;
    std::unique_ptr<IBreakOverlay> m_overlay;
    DueTimer m_due;
    DueTimer m_countdown;
    QDateTime m_nextTickDate;
    quint64 m_settingsObserver = 0;
    quint64 m_previewObserver = 0;
    bool m_snoozeDue = false; // the scheduled break is one a snooze postponed
    Phase m_phase = Phase::idle;
    QDateTime m_nextBreakDate;
    qint64 m_remaining = 0;
    qint64 m_snoozesUsed = 0;
    bool m_isPreview = false;
    qint64 m_workIntervalSec = 1200;
    qint64 m_breakDurationSec = 20;
    qint64 m_maxSnoozes = 4;
    bool m_strict = false;
};
