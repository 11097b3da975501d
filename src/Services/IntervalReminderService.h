#pragma once

#include "Foundation/Clock.h"
#include "Foundation/DueTimer.h"
#include "Models/ReminderSchedule.h"
#include "Services/IReminderService.h"
#include "Services/ReminderPanels.h"

#include <QDateTime>
#include <QObject>

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
    struct Keys {
        QString enabled;
        ReminderSchedule::Setting interval; // minutes
        QString settingsChanged;
        QString previewRequested;
        ReminderPosition (*position)(const IPreferences&);
        ReminderSize (*size)(const IPreferences&);
    };
    struct Dependencies {
        IPreferences& preferences;
        const IClock& clock;
        IScheduler& scheduler;
        const IPresence& presence;
        NotificationCenter& notifications;
    };

    IntervalReminderService(Keys keys, Dependencies dependencies, QObject* parent = nullptr);
    ~IntervalReminderService() override;

    QDateTime nextDate() const { return m_nextDate; }
    qint64 intervalSec() const { return m_intervalSec; }
    bool isTicking() const { return m_due.isArmed(); }

    void start() override;
    void stop() override;
    void applySettings();

Q_SIGNALS:
    void nextDateChanged();
    void intervalSecChanged();

protected:
    virtual void showCue(ReminderSize size, ReminderPosition position) = 0;
    virtual void hideCue() = 0;

private:
    void fallDue();
    // Shows the reminder at the position and size the preferences hold now.
    void showReminder();
    void setNextDate(const QDateTime& date);
    void removeObservers();

    Keys m_keys;
    Dependencies m_deps;
    DueTimer m_due;
    quint64 m_settingsObserver = 0;
    quint64 m_previewObserver = 0;
    QDateTime m_nextDate;
    qint64 m_intervalSec;
};

// An interval reminder and its cue, the panels it shows. The cue names its preferences and notifications
// in keys().
template <typename Cue> class IntervalReminder final : public IntervalReminderService {
public:
    IntervalReminder(Dependencies dependencies, ReminderPanels::Dependencies panels,
                     QObject* parent = nullptr)
        : IntervalReminderService(Cue::keys(), dependencies, parent)
        , m_cue(panels) {}

    Cue& cue() { return m_cue; }

protected:
    void showCue(ReminderSize size, ReminderPosition position) override { m_cue.show(size, position); }
    void hideCue() override { m_cue.hide(); }

private:
    Cue m_cue;
};
