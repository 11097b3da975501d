#pragma once

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// One calendar of the desktop's calendar store.
struct CalendarSource {
    QString id;
    QString title;
    QColor color; // invalid when the calendar has none

    friend bool operator==(const CalendarSource&, const CalendarSource&) = default;
};

// One occurrence of an event in a time window: a recurring event gives one per occurrence, each with its
// own id. Absent fields are empty optionals, invalid dates or an empty URL.
struct CalendarOccurrence {
    QString id;
    std::optional<QString> title;
    QDateTime start;
    QDateTime end;
    bool isAllDay = false;
    std::optional<QString> location;
    std::optional<QString> notes;
    QUrl url;
    int attendeeCount = 0;
    std::optional<CalendarSource> calendar;
    bool isCancelled = false; // the event, or this occurrence of its series, is marked cancelled
};

// The answer to a request for calendar access.
struct CalendarAccess {
    enum class Answer { granted, denied, failed };
    Answer answer = Answer::failed;
    QString message; // what the user reads about a failure, in the interface's language
};

// The desktop's event store. Answers arrive on the GUI thread, later, and only while `context` lives.
// `changed` is emitted once for a burst of changes to any calendar or event.
class ICalendarStore : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void requestAccess(QObject* context, std::function<void(const CalendarAccess&)> done) = 0;
    // The calendars known since access was granted, in the store's order.
    virtual QList<CalendarSource> calendars() const = 0;
    // The occurrences that overlap [start, end) in the given calendars (an empty list means every calendar).
    virtual void fetchOccurrences(const QDateTime& start, const QDateTime& end,
                                  const QStringList& calendarIds, QObject* context,
                                  std::function<void(const QList<CalendarOccurrence>&)> done) = 0;

Q_SIGNALS:
    void changed();
};
