#pragma once

#include "Platform/Calendar/ICalendarStore.h"

#include <QPointer>

// A calendar store under the test's control: access requests wait until answerAccess(), fetches answer at
// once with `occurrences` (every calendar's, whatever the filter) and are recorded.
class FakeCalendarStore final : public ICalendarStore {
public:
    struct Fetch {
        QDateTime start, end;
        QStringList calendarIds;
    };

    QList<CalendarSource> sources;
    QList<CalendarOccurrence> occurrences;
    QList<Fetch> fetches;

    void requestAccess(QObject* context, std::function<void(const CalendarAccess&)> done) override {
        waiting.append({context, std::move(done)});
    }
    QList<CalendarSource> calendars() const override { return sources; }
    void fetchOccurrences(const QDateTime& start, const QDateTime& end, const QStringList& calendarIds,
                          QObject*, std::function<void(const QList<CalendarOccurrence>&)> done) override {
        fetches.append({start, end, calendarIds});
        done(occurrences);
    }

    qsizetype pendingRequests() const { return waiting.size(); }

    void answerAccess(CalendarAccess access) {
        const auto requests = std::exchange(waiting, {});
        for (const auto& [context, done] : requests) {
            if (context)
                done(access);
        }
    }

private:
    QList<std::pair<QPointer<QObject>, std::function<void(const CalendarAccess&)>>> waiting;
};
