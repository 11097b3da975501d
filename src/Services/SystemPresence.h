#pragma once

#include "Platform/Logind/ILogindSession.h"
#include "Platform/Screens/IDisplayPower.h"
#include "Platform/Screens/IScreenSleepSource.h"

#include <QObject>
#include <QPointer>

// Whether a reminder may be shown to the user now.
class IPresence {
public:
    virtual ~IPresence() = default;
    virtual bool userIsPresent() const = 0;
};

class IPreferences;

// Whether a reminder falling due now is shown: the user is present and reminders are not paused
// ("tavimor.remindersPaused").
bool mayRemindNow(const IPresence& presence, const IPreferences& preferences);

// Present unless the displays sleep (reported, or switched off by power saving), the session is not in the
// foreground of its seat, or it is locked. A session that logind cannot tell about counts as present. The
// power state is asked when needed; every other input is a cached value kept current by its source's signals.
class SystemPresence final : public QObject, public IPresence {
    Q_OBJECT
public:
    SystemPresence(ILogindSession* session, IScreenSleepSource* sleepSource,
                   const IDisplayPower* displayPower = nullptr, QObject* parent = nullptr);

    bool userIsPresent() const override;

private:
    QPointer<ILogindSession> m_session;
    const IDisplayPower* m_displayPower;
    bool m_displaysAsleep = false;
};
