#include "Services/IntervalReminderService.h"

#include "Foundation/NotificationCenter.h"
#include "Platform/Preferences/IPreferences.h"
#include "Services/SystemPresence.h"

IntervalReminderService::IntervalReminderService(Keys keys, Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_keys(std::move(keys))
    , m_deps(dependencies)
    , m_due(dependencies.scheduler, dependencies.clock, this, [this] { fallDue(); })
    , m_intervalSec(qint64(m_keys.interval.defaultValue) * 60) {}

IntervalReminderService::~IntervalReminderService() {
    removeObservers();
}

void IntervalReminderService::start() {
    removeObservers();
    m_settingsObserver =
        m_deps.notifications.addObserver(m_keys.settingsChanged, this, [this] { applySettings(); });
    m_previewObserver =
        m_deps.notifications.addObserver(m_keys.previewRequested, this, [this] { showReminder(); });
    applySettings();
}

void IntervalReminderService::stop() {
    m_due.cancel();
    removeObservers();
    hideCue();
}

void IntervalReminderService::applySettings() {
    const qint64 interval = qint64(ReminderSchedule::value(m_deps.preferences, m_keys.interval)) * 60;
    if (interval != m_intervalSec) {
        m_intervalSec = interval;
        Q_EMIT intervalSecChanged();
    }
    if (m_deps.preferences.value(m_keys.enabled).toBool()) {
        setNextDate(m_deps.clock.now().addSecs(m_intervalSec));
        return;
    }
    m_due.cancel();
    setNextDate({});
    hideCue();
}

void IntervalReminderService::fallDue() {
    if (mayRemindNow(m_deps.presence, m_deps.preferences))
        showReminder();
    setNextDate(m_deps.clock.now().addSecs(m_intervalSec));
}

void IntervalReminderService::showReminder() {
    showCue(m_keys.size(m_deps.preferences), m_keys.position(m_deps.preferences));
}

// A valid date arms the timer for it.
void IntervalReminderService::setNextDate(const QDateTime& date) {
    if (date.isValid())
        m_due.arm(date);
    if (date == m_nextDate)
        return;
    m_nextDate = date;
    Q_EMIT nextDateChanged();
}

void IntervalReminderService::removeObservers() {
    m_deps.notifications.removeObserver(m_settingsObserver);
    m_deps.notifications.removeObserver(m_previewObserver);
    m_settingsObserver = m_previewObserver = 0;
}
