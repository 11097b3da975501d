#pragma once

#include "Foundation/Clock.h"
#include "Services/IReminderService.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

class IPreferences;
class IPresence;
class NotificationCenter;

// A reminder shown every few minutes while it is switched on and the user is present: the schedule the
// blink and posture reminders share. A reminder that falls due while the user is away or reminders are
// paused is dropped, and the next one comes a full interval later.
class IntervalReminderService : public QObject, public IReminderService {
    Q_OBJECT
    Q_PROPERTY(QDateTime nextDate READ nextDate NOTIFY nextDateChanged)
    Q_PROPERTY(qint64 intervalSec READ intervalSec NOTIFY intervalSecChanged)

public:
    static constexpr int tickMs = 1000;

    struct Keys {
        QString enabled;
        QString intervalMinutes;
        qint64 defaultMinutes;
        QString settingsChanged;
        QString previewRequested;
    };
    struct Dependencies {
        IPreferences& preferences;
        const IClock& clock;
        const IPresence& presence;
        NotificationCenter& notifications;
    };

    IntervalReminderService(Keys keys, Dependencies dependencies, QObject* parent = nullptr);
    ~IntervalReminderService() override;

    QDateTime nextDate() const { return m_nextDate; }
    qint64 intervalSec() const { return m_intervalSec; }
    bool isTicking() const { return m_ticker.isActive(); }

    void start() override;
    void stop() override;
    void applySettings();
    void tick();

Q_SIGNALS:
    void nextDateChanged();
    void intervalSecChanged();

protected:
    IPreferences& preferences() const { return m_deps.preferences; }
    // Shows the reminder at the position and size the preferences hold now.
    virtual void showReminder() = 0;
    virtual void hideReminder() = 0;

private:
    void setNextDate(const QDateTime& date);
    void removeObservers();

    Keys m_keys;
    Dependencies m_deps;
    QTimer m_ticker;
    quint64 m_settingsObserver = 0;
    quint64 m_previewObserver = 0;
    QDateTime m_nextDate;
    qint64 m_intervalSec;
};
