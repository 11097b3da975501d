#include "Services/CalendarService.h"

#include "Foundation/L10n.h"

#include <algorithm>

namespace {

template <typename T, typename Less> QList<T> stableSorted(QList<T> list, Less less) {
    std::stable_sort(list.begin(), list.end(), less);
    return list;
}

} // namespace

CalendarService::CalendarService(ICalendarStore& store, IPreferences& preferences, const IClock& clock,
                                 IScheduler& scheduler, NotificationCenter& notifications, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_preferences(preferences)
    , m_clock(clock)
    , m_scheduler(scheduler)
    , m_notifications(notifications) {
    m_refreshTimer.setInterval(refreshIntervalMs);
    connect(&m_refreshTimer, &AlignedTimer::timeout, this, &CalendarService::fetchTodayEvents);
}

void CalendarService::start() {
    cancelRetry();
    m_retryDelayMs = firstRetryMs;
    requestAccess(++m_generation);
}

void CalendarService::stop() {
    ++m_generation;
    cancelRetry();
    removeObservers();
}

void CalendarService::requestAccess(quint64 generation) {
    m_store.requestAccess(
        this, [this, generation](const CalendarAccess& access) { answerAccess(access, generation); });
}

void CalendarService::scheduleRetry(quint64 generation) {
    const auto retry = [this, generation] {
        cancelRetry();
        requestAccess(generation);
    };
    m_retry = m_scheduler.after(m_retryDelayMs, this, retry);
    m_retryOnChange = connect(&m_store, &ICalendarStore::changed, this, retry);
    m_retryDelayMs = std::min(m_retryDelayMs * 2, longestRetryMs);
}

void CalendarService::cancelRetry() {
    m_scheduler.cancel(std::exchange(m_retry, IScheduler::invalidHandle));
    disconnect(std::exchange(m_retryOnChange, {}));
}

void CalendarService::answerAccess(const CalendarAccess& access, quint64 generation) {
    switch (access.answer) {
    case CalendarAccess::Answer::granted:
        setHasAccess(true);
        break;
    case CalendarAccess::Answer::denied:
        setHasAccess(false);
        setError(L10n::text("agenda.erro.acesso_negado", "Acesso ao calendário negado",
                            "O usuário recusou a permissão de Calendários; a aba Agenda fica vazia."));
        break;
    case CalendarAccess::Answer::failed:
        setError(access.message);
        if (generation == m_generation)
            scheduleRetry(generation);
        break;
    }
    if (!m_hasAccess || generation != m_generation)
        return;
    m_retryDelayMs = firstRetryMs;
    loadAvailableCalendars();
    fetchTodayEvents();
    observeChanges();
    m_refreshTimer.start();
}

void CalendarService::observeChanges() {
    removeObservers();
    m_changeConnection = connect(&m_store, &ICalendarStore::changed, this, [this] {
        loadAvailableCalendars();
        fetchTodayEvents();
    });
    m_filterObserver = m_notifications.addObserver(Notifications::calendarFilterChanged, this,
                                                   [this] { fetchTodayEvents(); });
}

void CalendarService::removeObservers() {
    disconnect(m_changeConnection);
    m_changeConnection = {};
    if (m_filterObserver)
        m_notifications.removeObserver(*m_filterObserver);
    m_filterObserver.reset();
    m_refreshTimer.stop();
}

void CalendarService::loadAvailableCalendars() {
    QList<CalendarSource> calendars = sortedByTitle(m_store.calendars());
    if (calendars == m_availableCalendars)
        return;
    m_availableCalendars = std::move(calendars);
    Q_EMIT availableCalendarsChanged();
}

QStringList CalendarService::chosenCalendarIds() const {
    const QVariant stored = m_preferences.value(selectedCalendarsKey);
    if (stored.typeId() != QMetaType::QVariantList && stored.typeId() != QMetaType::QStringList)
        return {};
    QStringList selected;
    for (const QVariant& element : stored.toList()) {
        if (element.typeId() != QMetaType::QString)
            return {};
        selected.append(element.toString());
    }
    QStringList chosen;
    for (const CalendarSource& calendar : m_store.calendars()) {
        if (selected.contains(calendar.id))
            chosen.append(calendar.id);
    }
    return chosen; // empty: every calendar
}

void CalendarService::fetchTodayEvents() {
    if (!m_hasAccess)
        return;
    const QTimeZone zone = m_clock.localZone();
    const QDateTime dayStart(m_clock.now().toTimeZone(zone).date(), QTime(0, 0), zone);
    const QDateTime dayEnd = dayStart.addDays(1);
    if (!dayEnd.isValid())
        return;
    const quint64 fetch = ++m_lastFetch;
    m_store.fetchOccurrences(dayStart, dayEnd, chosenCalendarIds(), this,
                             [this, fetch](const QList<CalendarOccurrence>& occurrences) {
                                 if (fetch != m_lastFetch)
                                     return; // a newer fetch is on its way
                                 QList<Meeting> meetings;
                                 meetings.reserve(occurrences.size());
                                 const QDateTime now = m_clock.now();
                                 for (const auto& occurrence : occurrences) {
                                     if (!occurrence.isCancelled) // called off: no meeting to join
                                         meetings.append(Meeting::fromOccurrence(occurrence, now));
                                 }
                                 m_meetings = std::move(meetings);
                                 Q_EMIT meetingsChanged();
                             });
}

std::optional<Meeting> CalendarService::nextMeeting() const {
    const QDateTime now = m_clock.now();
    std::optional<Meeting> next;
    for (const Meeting& meeting : m_meetings) {
        const bool candidate = !meeting.isAllDay && (now < meeting.startDate || meeting.isRunning(now));
        if (candidate && (!next || meeting.startDate < next->startDate))
            next = meeting;
    }
    return next;
}

QList<Meeting> CalendarService::todayMeetings() const {
    QList<Meeting> timed;
    std::copy_if(m_meetings.cbegin(), m_meetings.cend(), std::back_inserter(timed),
                 [](const Meeting& m) { return !m.isAllDay; });
    return stableSorted(timed, [](const Meeting& a, const Meeting& b) { return a.startDate < b.startDate; });
}

QList<Meeting> CalendarService::allDayEvents() const {
    QList<Meeting> allDay;
    std::copy_if(m_meetings.cbegin(), m_meetings.cend(), std::back_inserter(allDay),
                 [](const Meeting& m) { return m.isAllDay; });
    return stableSorted(allDay,
                        [](const Meeting& a, const Meeting& b) { return titleLess(a.title, b.title); });
}

bool CalendarService::titleLess(const QString& a, const QString& b) {
    const auto left = a.normalized(QString::NormalizationForm_C).toUcs4();
    const auto right = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(left.cbegin(), left.cend(), right.cbegin(), right.cend());
}

QList<CalendarSource> CalendarService::sortedByTitle(QList<CalendarSource> calendars) {
    return stableSorted(std::move(calendars), [](const CalendarSource& a, const CalendarSource& b) {
        return titleLess(a.title, b.title);
    });
}

void CalendarService::setHasAccess(bool hasAccess) {
    if (m_hasAccess == hasAccess)
        return;
    m_hasAccess = hasAccess;
    Q_EMIT hasAccessChanged();
}

void CalendarService::setError(const QString& error) {
    if (m_error == error)
        return;
    m_error = error;
    Q_EMIT errorChanged();
}
