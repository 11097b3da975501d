#include "Services/SystemPresence.h"

#include "Platform/Preferences/IPreferences.h"

SystemPresence::SystemPresence(ILogindSession* session, IScreenSleepSource* sleepSource,
                               const IDisplayPower* displayPower, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_displayPower(displayPower) {
    if (!sleepSource)
        return;
    connect(sleepSource, &IScreenSleepSource::screensDidSleep, this, [this] { m_displaysAsleep = true; });
    connect(sleepSource, &IScreenSleepSource::screensDidWake, this, [this] { m_displaysAsleep = false; });
}

bool SystemPresence::userIsPresent() const {
    if (m_displaysAsleep || (m_displayPower && m_displayPower->screensOff()))
        return false;
    if (!m_session || !m_session->isKnown())
        return true;
    return m_session->isActive() && !m_session->isLocked();
}

bool mayRemindNow(const IPresence& presence, const IPreferences& preferences) {
    return presence.userIsPresent() && !preferences.value(QStringLiteral("tavimor.remindersPaused")).toBool();
}
