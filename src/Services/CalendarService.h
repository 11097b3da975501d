#pragma once

#include "Foundation/AlignedTimer.h"
#include "Foundation/Clock.h"
#include "Foundation/NotificationCenter.h"
#include "Models/MeetingModels.h"
#include "Platform/Calendar/ICalendarStore.h"
#include "Platform/Preferences/IPreferences.h"

#include <QList>
#include <QObject>

#include <optional>

// Today's events from the calendars the user chose. It asks the store for access when started, then keeps the
// calendars on offer and the day's meetings fresh: on every store change, when the settings change the
// calendar filter, and once a minute. An access request that fails (a calendar server still starting) is
// asked again after 5 s, doubling to 5 min, or at once when the store announces a change meanwhile. Stopping
// removes the observers, the timer and a pending retry, and keeps the data.
class CalendarService final : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        QList<CalendarSource> availableCalendars READ availableCalendars NOTIFY availableCalendarsChanged)
    Q_PROPERTY(bool hasAccess READ hasAccess NOTIFY hasAccessChanged)
    Q_PROPERTY(QString error READ errorText NOTIFY errorChanged)

public:
    static inline const QString selectedCalendarsKey = QStringLiteral("tavimor.selectedCalendarIds");
    static constexpr int refreshIntervalMs = 60'000;
    static constexpr int firstRetryMs = 5'000;
    static constexpr int longestRetryMs = 300'000;

    CalendarService(ICalendarStore& store, IPreferences& preferences, const IClock& clock,
                    IScheduler& scheduler, NotificationCenter& notifications = NotificationCenter::shared(),
                    QObject* parent = nullptr);

    void start();
    void stop();
    void fetchTodayEvents();

    // The store's calendars by title, loaded once access is granted and again on every store change.
    const QList<CalendarSource>& availableCalendars() const { return m_availableCalendars; }
    const QList<Meeting>& meetings() const { return m_meetings; }
    bool hasAccess() const { return m_hasAccess; }
    const std::optional<QString>& error() const { return m_error; }
    QString errorText() const { return m_error.value_or(QString()); }
    bool isObserving() const { return m_changeConnection || m_refreshTimer.isActive(); }

    std::optional<Meeting> nextMeeting() const;
    QList<Meeting> todayMeetings() const;
    QList<Meeting> allDayEvents() const;

    // Title order of calendars and all-day events: by Unicode scalar values after canonical composition.
    static bool titleLess(const QString& a, const QString& b);
    // Calendars in title order; equal titles keep the store's order.
    static QList<CalendarSource> sortedByTitle(QList<CalendarSource> calendars);

Q_SIGNALS:
    void availableCalendarsChanged();
    void meetingsChanged(); // on every fetch, changed or not
    void hasAccessChanged();
    void errorChanged();

private:
    void requestAccess(quint64 generation);
    void answerAccess(const CalendarAccess& access, quint64 generation);
    void scheduleRetry(quint64 generation);
    void cancelRetry();
    void observeChanges();
    void loadAvailableCalendars();
    void removeObservers();
    QStringList chosenCalendarIds() const;
    void setHasAccess(bool hasAccess);
    void setError(const QString& error);

    ICalendarStore& m_store;
    IPreferences& m_preferences;
    const IClock& m_clock;
    IScheduler& m_scheduler;
    NotificationCenter& m_notifications;

    QList<CalendarSource> m_availableCalendars;
    QList<Meeting> m_meetings;
    bool m_hasAccess = false;
    std::optional<QString> m_error;

    // Raised by every start() and stop(): an access answer meant for an earlier start installs nothing.
    quint64 m_generation = 0;
    quint64 m_lastFetch = 0;
    QMetaObject::Connection m_changeConnection;
    std::optional<NotificationCenter::Token> m_filterObserver;
    AlignedTimer m_refreshTimer;
    IScheduler::Handle m_retry = IScheduler::invalidHandle;
    QMetaObject::Connection m_retryOnChange;
    int m_retryDelayMs = firstRetryMs;
};
