#include "Services/CaffeinateService.h"

#include "Foundation/L10n.h"
#include "Platform/Logind/LogindInhibitor.h"

#include <QDBusConnection>

CaffeinateLocks CaffeinateLocks::onThisSystem(DegradedReporter reportDegraded) {
    // The desktop shows it beside the application's name, e.g. in its log-out dialog.
    const QString why = L10n::text("caffeinate.motivo", "Mantém o computador acordado",
                                   "Motivo do bloqueio de suspensão que o sistema mostra ao usuário");
    return {
        std::make_shared<LogindInhibitor>(QDBusConnection::systemBus(), QStringLiteral("sleep:idle"), why),
        std::make_shared<DisplayIdleInhibitor>(QDBusConnection::sessionBus(), why),
        std::make_shared<LogindInhibitor>(QDBusConnection::systemBus(), QStringLiteral("handle-lid-switch"),
                                          why),
        std::move(reportDegraded)};
}

CaffeinateService::CaffeinateService(QObject* parent)
    : CaffeinateService(CaffeinateLocks::onThisSystem(), parent) {}

CaffeinateService::CaffeinateService(CaffeinateLocks locks, QObject* parent)
    : QObject(parent)
    , m_locks(std::move(locks)) {
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CaffeinateService::tick);
}

CaffeinateService::~CaffeinateService() = default;

void CaffeinateService::activate(std::optional<qint64> durationSeconds) {
    if (m_isActive) {
        setRemaining(durationSeconds);
        m_timer.start();
        return;
    }
    m_requestedDuration = durationSeconds;
    if (m_answersPending > 0)
        return;
    const quint64 generation = ++m_generation;
    m_answersPending = 2;
    m_locks.display->acquire(this, [this, generation](InhibitorLock lock) {
        onLockAnswer(generation, m_displayLock, std::move(lock));
    });
    m_locks.system->acquire(this, [this, generation](InhibitorLock lock) {
        onLockAnswer(generation, m_systemLock, std::move(lock));
    });
}

void CaffeinateService::onLockAnswer(quint64 generation, InhibitorLock& slot, InhibitorLock lock) {
    if (generation != m_generation)
        return; // deactivated meanwhile: the late lock is dropped here
    slot = std::move(lock);
    if (--m_answersPending == 0)
        finishActivation();
}

void CaffeinateService::finishActivation() {
    if (!m_systemLock || !m_displayLock) {
        releaseLocks();
        if (!m_reportedUnavailable && m_locks.reportDegraded) {
            m_reportedUnavailable = true;
            m_locks.reportDegraded(QStringLiteral("Caffeinate"),
                                   QStringLiteral("o sistema recusou o bloqueio de suspensão ou de tela"),
                                   QStringLiteral("manter acordado não liga"));
        }
        return;
    }
    setElapsed(0);
    setActive(true);
    setRemaining(m_requestedDuration);
    m_timer.start();
}

void CaffeinateService::tick() {
    if (!m_isActive)
        return;
    setElapsed(m_elapsedSeconds + 1);
    if (!m_remainingSeconds)
        return;
    if (*m_remainingSeconds > 1)
        setRemaining(*m_remainingSeconds - 1);
    else
        deactivate();
}

void CaffeinateService::deactivate() {
    ++m_generation;
    m_answersPending = 0;
    releaseLocks();
    m_timer.stop();
    setActive(false);
    setRemaining(std::nullopt);
    setElapsed(0);
}

void CaffeinateService::releaseLocks() {
    m_displayLock.reset();
    m_systemLock.reset();
}

void CaffeinateService::setLidSleepPrevention(bool on) {
    if (on == m_lidSleepPrevented)
        return;
    if (!on) {
        setLidFlag(false);
        m_lidLock.reset();
        return;
    }
    m_locks.lid->acquire(this, [this](InhibitorLock lock) {
        if (!lock)
            return;
        m_lidLock = std::move(lock);
        setLidFlag(true);
    });
}

void CaffeinateService::setActive(bool active) {
    if (m_isActive == active)
        return;
    m_isActive = active;
    Q_EMIT isActiveChanged();
}

void CaffeinateService::setRemaining(std::optional<qint64> remaining) {
    if (m_remainingSeconds == remaining)
        return;
    m_remainingSeconds = remaining;
    Q_EMIT remainingSecondsChanged();
}

void CaffeinateService::setElapsed(qint64 elapsed) {
    if (m_elapsedSeconds == elapsed)
        return;
    m_elapsedSeconds = elapsed;
    Q_EMIT elapsedSecondsChanged();
}

void CaffeinateService::setLidFlag(bool on) {
    if (m_lidSleepPrevented == on)
        return;
    m_lidSleepPrevented = on;
    Q_EMIT lidSleepPreventedChanged();
}
