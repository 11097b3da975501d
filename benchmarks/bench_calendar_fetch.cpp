// Today's fetch from a calendar server seeded by scripts/benchmarks/day-tab.sh: the first fetch after start
// (registry, calendar connection and occurrences) and a repeated fetch of the same day.
#include "FakeClock.h"
#include "InMemoryPreferences.h"
#include "Platform/Calendar/EdsCalendarStore.h"
#include "Services/CalendarService.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

class CalendarFetchBenchmark : public QObject {
    Q_OBJECT

    EdsCalendarStore store{[](const QString&, const QString&, const QString&) {}};
    InMemoryPreferences preferences;
    FakeClock clock{QDateTime(QDate::fromString(qEnvironmentVariable("TAVIMOR_BENCH_DAY"), Qt::ISODate),
                              QTime(12, 0), QTimeZone("Europe/Berlin"))
                        .toUTC(),
                    QTimeZone("Europe/Berlin")};
    FakeScheduler scheduler;
    CalendarService service{store, preferences, clock, scheduler};

private Q_SLOTS:
    void firstFetch() {
        QSignalSpy fetched(&service, &CalendarService::meetingsChanged);
        QElapsedTimer timer;
        timer.start();
        service.start();
        QVERIFY(fetched.wait(30'000));
        qInfo("first fetch after start: %lld ms, %lld meetings", timer.elapsed(),
              qint64(service.meetings().size()));
    }

    void repeatedFetch() {
        QSignalSpy fetched(&service, &CalendarService::meetingsChanged);
        QBENCHMARK {
            service.fetchTodayEvents();
            QVERIFY(fetched.wait(30'000));
        }
        QCOMPARE(service.meetings().size(), 500);
    }
};

QTEST_GUILESS_MAIN(CalendarFetchBenchmark)
#include "bench_calendar_fetch.moc"
