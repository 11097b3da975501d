#pragma once

#include "Foundation/DegradedReporter.h"
#include "Platform/Calendar/ICalendarStore.h"

#include <memory>

typedef struct _GError GError;

// The desktop's calendars through Evolution Data Server: the enabled calendar sources of the source registry,
// one client per calendar, occurrences expanded by the server's recurrence rules in the system time zone.
// Everything runs on the GUI thread's GLib loop; nothing blocks. The last answer is kept while every calendar
// it came from is watched and unchanged: the same window asked again is answered from memory. Access is
// granted once the registry answers; a registry that cannot be reached is a failed answer and one
// degraded-feature record.
class EdsCalendarStore final : public ICalendarStore {
    Q_OBJECT
public:
    // How long a fetch waits for calendars that are still connecting before it answers without them.
    static constexpr int connectWaitMs = 5000;
    // How long the source registry may take to answer before access counts as failed. A cold start of the
    // calendar server on a busy machine takes well over ten seconds.
    static constexpr int registryTimeoutMs = 30'000;
    // Changes that arrive within this span give one `changed`.
    static constexpr int coalesceMs = 150;

    explicit EdsCalendarStore(DegradedReporter reportDegraded, QObject* parent = nullptr);
    ~EdsCalendarStore() override;

    void requestAccess(QObject* context, std::function<void(const CalendarAccess&)> done) override;
    QList<CalendarSource> calendars() const override;
    void fetchOccurrences(const QDateTime& start, const QDateTime& end, const QStringList& calendarIds,
                          QObject* context,
                          std::function<void(const QList<CalendarOccurrence>&)> done) override;

    // Why the source registry could not be reached, as the user is told.
    enum class Failure { noAnswer, serviceMissing, other };
    static Failure failureOf(const GError* error);
    static QString describe(Failure failure);

    struct Private;

private:
    std::unique_ptr<Private> d;
};
