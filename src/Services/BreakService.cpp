#include "Services/BreakService.h"

#include "Foundation/NotificationCenter.h"
#include "Models/ReminderSchedule.h"
#include "Platform/Logind/ILogindSession.h"
#include "Platform/Preferences/IPreferences.h"
#include "Services/DiagnosticsService.h"
#include "Services/SystemPresence.h"

#include <cmath>

namespace {

const QString enabledKey = QStringLiteral("tavimor.breakEnabled");

} // namespace

BreakService::BreakService(Dependencies dependencies, std::unique_ptr<IBreakOverlay> overlay, QObject* parent)
    : QObject(parent)
    , m_deps(dependencies)
    , m_overlay(std::move(overlay))
    , m_due(dependencies.scheduler, dependencies.clock, this, [this] { fallDue(); })
    , m_countdown(dependencies.scheduler, dependencies.clock, this, [this] { tick(); }) {}

BreakService::~BreakService() {
    stop();
}

bool BreakService::canSkip() const {
    return m_isPreview || !m_strict || m_maxSnoozes - m_snoozesUsed > 0;
}

std::optional<qint64> BreakService::secondsUntilNextBreak() const {
    if (m_phase == Phase::active || !m_nextBreakDate.isValid())
        return std::nullopt;
    const qint64 ms = m_deps.clock.now().msecsTo(m_nextBreakDate);
    return std::max<qint64>(0, std::llround(double(ms) / 1000.0));
}

void BreakService::start() {
    removeObservers();
    m_settingsObserver = m_deps.notifications.addObserver(Notifications::breakSettingsChanged, this,
                                                          [this] { applySettings(); });
    m_previewObserver = m_deps.notifications.addObserver(Notifications::breakPreviewRequested, this,
                                                         [this] { previewBreak(); });
    applySettings();
}

void BreakService::stop() {
    removeObservers();
    halt();
}

void BreakService::removeObservers() {
    m_deps.notifications.removeObserver(m_settingsObserver);
    m_deps.notifications.removeObserver(m_previewObserver);
    m_settingsObserver = m_previewObserver = 0;
}

// No ticks and no break on screen.
void BreakService::halt() {
    m_due.cancel();
    m_countdown.cancel();
    if (m_overlay)
        m_overlay->dismiss();
    updateDerived([this] {
        assign(m_isPreview, false, &BreakService::isPreviewChanged);
        assign(m_phase, Phase::idle, &BreakService::phaseChanged);
    });
}

bool BreakService::breaksEnabled() const {
    return m_deps.preferences.value(enabledKey).toBool();
}

void BreakService::loadConfig() {
    const IPreferences& preferences = m_deps.preferences;
    const qint64 minutes = ReminderSchedule::value(preferences, ReminderSchedule::breakWorkIntervalMin);
    const qint64 duration = ReminderSchedule::value(preferences, ReminderSchedule::breakDurationSec);
    const qint64 snoozes = ReminderSchedule::value(preferences, ReminderSchedule::breakSnoozes);
    updateDerived([&] {
        assign(m_workIntervalSec, minutes * 60, &BreakService::workIntervalSecChanged);
        assign(m_breakDurationSec, duration, &BreakService::breakDurationSecChanged);
        assign(m_maxSnoozes, snoozes, &BreakService::maxSnoozesChanged);
        assign(m_strict, preferences.value(QStringLiteral("tavimor.breakStrict")).toBool(),
               &BreakService::strictChanged);
    });
}

void BreakService::applySettings() {
    loadConfig();
    if (breaksEnabled()) {
        if (m_phase == Phase::idle)
            scheduleIn(m_workIntervalSec);
        return;
    }
    halt();
    clearSchedule();
}

void BreakService::previewBreak() {
    if (m_phase != Phase::idle)
        return;
    updateDerived([this] { assign(m_isPreview, true, &BreakService::isPreviewChanged); });
    beginBreak(true);
}

void BreakService::takeBreakNow() {
    if (m_phase == Phase::idle)
        beginBreak(false);
}

void BreakService::skip() {
    if (m_phase != Phase::active || !canSkip())
        return;
    if (!m_isPreview)
        updateDerived(
            [this] { assign(m_snoozesUsed, m_snoozesUsed + 1, &BreakService::snoozesUsedChanged); });
    endBreak(true);
}

void BreakService::snooze() {
    if (m_phase != Phase::active || !canSnooze())
        return;
    if (m_isPreview) {
        endBreak(false);
        return;
    }
    updateDerived([this] { assign(m_snoozesUsed, m_snoozesUsed + 1, &BreakService::snoozesUsedChanged); });
    endBreak(false);
    if (breaksEnabled()) {
        scheduleIn(m_workIntervalSec > 239 ? m_workIntervalSec / 4 : 60);
        m_snoozeDue = true;
    }
}

void BreakService::lockScreen() {
    if (m_phase != Phase::active)
        return;
    if (!m_deps.session) {
        Diagnostics::write(Diagnostics::Level::Error,
                           QStringLiteral("Tavimor: falha ao bloquear tela: sem sessão do logind"));
        return;
    }
    m_deps.session->lock(this, [this](bool accepted, const QString& error) {
        if (!accepted) {
            Diagnostics::write(Diagnostics::Level::Error,
                               QStringLiteral("Tavimor: falha ao bloquear tela: ") + error);
            return;
        }
        if (m_phase == Phase::active)
            endBreak(true);
    });
}

// A preview on screen lets the due moment pass; the break's end arms it again.
void BreakService::fallDue() {
    if (m_phase == Phase::active)
        return;
    if (mayRemindNow(m_deps.presence, m_deps.preferences))
        beginBreak(m_snoozeDue);
    else
        scheduleIn(m_workIntervalSec);
}

void BreakService::tick() {
    assign(m_remaining, m_remaining - 1, &BreakService::remainingChanged);
    if (m_remaining <= 0) {
        endBreak(true);
        return;
    }
    m_nextTickDate = m_nextTickDate.addMSecs(tickMs);
    m_countdown.arm(m_nextTickDate);
}

// A break brought back by a snooze keeps counting the snoozes used; any other real break starts afresh.
// A preview leaves the count alone.
void BreakService::beginBreak(bool keepSnoozeCount) {
    updateDerived([&] {
        if (!m_isPreview && !keepSnoozeCount)
            assign(m_snoozesUsed, qint64(0), &BreakService::snoozesUsedChanged);
        assign(m_phase, Phase::active, &BreakService::phaseChanged);
    });
    if (!m_isPreview)
        m_snoozeDue = false;
    assign(m_remaining, m_breakDurationSec, &BreakService::remainingChanged);
    m_nextTickDate = m_deps.clock.now().addMSecs(tickMs);
    m_countdown.arm(m_nextTickDate);
    if (m_overlay)
        m_overlay->present(*this);
}

void BreakService::endBreak(bool rescheduleFresh) {
    updateDerived([this] { assign(m_isPreview, false, &BreakService::isPreviewChanged); });
    if (m_overlay)
        m_overlay->dismiss();
    updateDerived([this] { assign(m_phase, Phase::idle, &BreakService::phaseChanged); });
    m_countdown.cancel();
    if (!breaksEnabled())
        clearSchedule();
    else if (rescheduleFresh)
        scheduleIn(m_workIntervalSec);
    else if (m_nextBreakDate.isValid())
        m_due.arm(m_nextBreakDate);
}

void BreakService::scheduleIn(qint64 seconds) {
    m_snoozeDue = false;
    assign(m_nextBreakDate, m_deps.clock.now().addSecs(seconds), &BreakService::nextBreakDateChanged);
    m_due.arm(m_nextBreakDate);
}

void BreakService::clearSchedule() {
    m_due.cancel();
    m_snoozeDue = false;
    assign(m_nextBreakDate, QDateTime(), &BreakService::nextBreakDateChanged);
}

template <typename T> void BreakService::assign(T& field, const T& value, void (BreakService::*changed)()) {
    if (field == value)
        return;
    field = value;
    Q_EMIT(this->*changed)();
}

void BreakService::updateDerived(const std::function<void()>& change) {
    const bool couldSkip = canSkip();
    const bool couldSnooze = canSnooze();
    const qint64 left = snoozesRemaining();
    change();
    if (couldSkip != canSkip())
        Q_EMIT canSkipChanged();
    if (couldSnooze != canSnooze())
        Q_EMIT canSnoozeChanged();
    if (left != snoozesRemaining())
        Q_EMIT snoozesRemainingChanged();
}
