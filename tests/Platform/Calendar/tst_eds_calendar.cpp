// Runs against a private Evolution Data Server seeded by tests/integration/eds_calendar.py (see
// test_calendar_eds.sh); skipped elsewhere. TAVIMOR_EDS_TEST is "seeded" or "no-server".
#include "FakeClock.h"
#include "Foundation/OutsideText.h"
#include "InMemoryPreferences.h"
#include "Platform/Calendar/EdsCalendarStore.h"
#include "Services/CalendarService.h"

#include <QDBusConnectionInterface>
#include <QScopeGuard>
#include <QtTest>

#include <csignal>

static const QTimeZone berlin("Europe/Berlin");
static const QDate testDay(2026, 3, 29); // clocks go forward at 02:00

static QString eventLine(const Meeting& m) {
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(m.title, m.startDate.toUTC().toString(Qt::ISODate), m.endDate.toUTC().toString(Qt::ISODate),
             m.isAllDay ? QStringLiteral("all-day") : QString(),
             m.meetingLink ? rawValue(m.meetingLink->service) : QString());
}

static bool fillCalendar(const QStringList& arguments) {
    return QProcess::execute("/usr/bin/python3",
                             QStringList{qEnvironmentVariable("TAVIMOR_EDS_SEEDER")} + arguments) == 0;
}

// The calendar server's processes on this test's bus: the factory and the subprocesses that serve calendars.
static QList<pid_t> calendarServerPids() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    QList<pid_t> pids;
    for (const QString& name : bus->registeredServiceNames().value()) {
        const auto pid = pid_t(bus->servicePid(name).value());
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (pid > 0 && !pids.contains(pid) && comm.open(QIODevice::ReadOnly) &&
            comm.readAll().startsWith("evolution-calen"))
            pids.append(pid);
    }
    return pids;
}

static void signalAll(const QList<pid_t>& pids, int signal) {
    for (pid_t pid : pids)
        ::kill(pid, signal);
}

class EdsCalendarTest : public QObject {
    Q_OBJECT

    QByteArray mode = qgetenv("TAVIMOR_EDS_TEST");
    QStringList degraded;
    EdsCalendarStore store{[this](const QString& c, const QString&, const QString&) { degraded << c; }};
    InMemoryPreferences preferences;
    FakeClock clock{QDateTime(testDay, QTime(12, 0), berlin).toUTC(), berlin};
    FakeScheduler scheduler;
    CalendarService service{store, preferences, clock, scheduler};

private Q_SLOTS:
    void initTestCase() {
        if (mode.isEmpty())
            QSKIP("needs the private calendar server of test_calendar_eds.sh");
        QCOMPARE(QTimeZone::systemTimeZoneId(), QByteArray("Europe/Berlin"));
    }

    void unreachableServerIsAFailedAnswerAndOneDegradedLine() {
        if (mode != "no-server")
            QSKIP("server present");
        QSignalSpy errors(&service, &CalendarService::errorChanged);
        service.start();
        QVERIFY(errors.wait(40'000));
        QVERIFY(!service.errorText().isEmpty() && !service.isObserving());
        QCOMPARE(degraded, QStringList(QStringLiteral("Agenda")));
    }

    void dayOfOccurrences() {
        if (mode != "seeded")
            QSKIP("no server");
        QSignalSpy fetched(&service, &CalendarService::meetingsChanged);
        service.start();
        QVERIFY(fetched.wait(20'000));
        QStringList lines;
        for (const Meeting& m : service.todayMeetings() + service.allDayEvents())
            lines << eventLine(m);
        const QStringList expected{
            // began the evening before, ends after midnight
            "Late|2026-03-28T22:00:00Z|2026-03-29T00:00:00Z||",
            // 03:00 local on the day the clocks jump from 02:00 to 03:00 is 01:00 UTC
            "Zoned|2026-03-29T01:00:00Z|2026-03-29T02:00:00Z||",
            // the detached occurrence replaces 09:30; its own location holds the call address
            "Standup moved|2026-03-29T09:00:00Z|2026-03-29T09:15:00Z||Google Meet",
            "New York|2026-03-29T10:00:00Z|2026-03-29T11:00:00Z||Zoom",
            "Teams sync|2026-03-29T13:00:00Z|2026-03-29T13:30:00Z||Teams",
            // a javascript: address in the URL field never becomes a join link
            "Script|2026-03-29T14:00:00Z|2026-03-29T14:30:00Z||",
            // of the imported export only the confirmed event: its series' occurrence and the other event
            // are cancelled
            "Confirmed|2026-03-29T15:30:00Z|2026-03-29T16:00:00Z||",
            "Holiday|2026-03-28T23:00:00Z|2026-03-29T22:00:00Z|all-day|",
        };
        QCOMPARE(lines, expected);

        // The exception date leaves the 28th without its occurrence; the series goes on after the moved one.
        QStringList ids;
        for (int offset : {-1, 1}) {
            QSignalSpy fetched(&service, &CalendarService::meetingsChanged);
            clock.set(QDateTime(testDay.addDays(offset), QTime(12, 0), berlin).toUTC());
            service.fetchTodayEvents();
            QVERIFY(fetched.wait(10'000));
            for (const Meeting& m : service.meetings())
                ids << m.id;
        }
        clock.set(QDateTime(testDay, QTime(12, 0), berlin).toUTC());
        ids.sort();
        QCOMPARE(ids, QStringList({"late@2026-03-28T22:00:00Z", "retro-series@2026-03-28T07:00:00Z",
                                   "retro-series@2026-03-30T06:00:00Z", "standup@2026-03-30T07:30:00Z",
                                   "tomorrow@2026-03-30T08:00:00Z"}));
    }

    // The minute's refresh of an unchanged day is answered from memory: it is answered with the calendar
    // server stopped, while another day waits for the server.
    void unchangedDayAgainNeedsNoServer() {
        if (mode != "seeded")
            QSKIP("no server");
        QSignalSpy fetched(&service, &CalendarService::meetingsChanged);
        const auto linesOfDay = [&] {
            QStringList lines;
            for (const Meeting& m : service.meetings())
                lines << eventLine(m);
            return lines;
        };
        service.fetchTodayEvents();
        QVERIFY(fetched.wait(10'000));
        const QStringList day = linesOfDay();
        const QList<pid_t> server = calendarServerPids();
        QVERIFY(!server.isEmpty());
        signalAll(server, SIGSTOP);
        auto resume = qScopeGuard([&] { signalAll(server, SIGCONT); });

        service.fetchTodayEvents();
        QVERIFY(fetched.wait(2000));
        QCOMPARE(linesOfDay(), day);

        clock.set(QDateTime(testDay.addDays(1), QTime(12, 0), berlin).toUTC());
        service.fetchTodayEvents();
        QVERIFY2(!fetched.wait(1000), "the server was not stopped");
        signalAll(server, SIGCONT);
        QVERIFY(fetched.wait(10'000));
        QVERIFY(linesOfDay() != day);

        // The day asked last is the one kept, for the change that comes next to replace.
        clock.set(QDateTime(testDay, QTime(12, 0), berlin).toUTC());
        service.fetchTodayEvents();
        QVERIFY(fetched.wait(10'000));
        QCOMPARE(linesOfDay(), day);
    }

    void outsideChangesGiveOneFetchPerBurst() {
        if (mode != "seeded")
            QSKIP("no server");
        QSignalSpy fetched(&service, &CalendarService::meetingsChanged);
        QVERIFY(fillCalendar({"burst", "5", "20260329T150000Z"}));
        QTRY_COMPARE_WITH_TIMEOUT(service.todayMeetings().size(), 12, 10'000);
        QTest::qWait(1000);
        QVERIFY2(fetched.size() <= 2, qPrintable(QString::number(fetched.size())));

        service.stop(); // nothing observed any more
        QVERIFY(fillCalendar({"burst", "1", "20260329T170000Z"}));
        QTest::qWait(1500);
        QCOMPARE(service.todayMeetings().size(), 12);
    }

    // A summary of five megabytes comes in cut.
    void hugeSummaryComesInCut() {
        if (mode != "seeded")
            QSKIP("no server");
        QVERIFY(fillCalendar({"huge", "1250000", "20260329T180000Z"}));
        service.start();
        const auto longestTitle = [&] {
            qsizetype longest = 0;
            for (const Meeting& m : service.todayMeetings())
                longest = std::max(longest, m.title.size());
            return longest;
        };
        QTRY_COMPARE_WITH_TIMEOUT(longestTitle(), maxOutsideTextLength, 20'000);
    }

    // The imported export (seeded with the day): ten minutes before the cancelled occurrence of its series,
    // the next meeting is the one after it; the series goes on around that day.
    void cancelledOccurrencesAreLeftOut() {
        if (mode != "seeded")
            QSKIP("no server");
        const auto titlesOn = [&](int offset) {
            QSignalSpy fetched(&service, &CalendarService::meetingsChanged);
            clock.set(QDateTime(testDay.addDays(offset), QTime(12, 0), berlin).toUTC());
            service.fetchTodayEvents();
            QStringList titles;
            if (fetched.wait(10'000))
                for (const Meeting& m : service.meetings())
                    titles << m.title;
            return titles;
        };
        QVERIFY(titlesOn(-1).contains("Retro") && titlesOn(1).contains("Retro"));
        const QStringList today = titlesOn(0);
        QVERIFY2(today.contains("Confirmed") && !today.contains("Retro") && !today.contains("Offsite"),
                 qPrintable(today.join(", ")));
        clock.set(QDateTime(testDay, QTime(7, 50), berlin).toUTC());
        QCOMPARE(service.nextMeeting().value_or(Meeting()).title, QStringLiteral("Standup moved"));
        clock.set(QDateTime(testDay, QTime(12, 0), berlin).toUTC());
    }
};

QTEST_GUILESS_MAIN(EdsCalendarTest)
#include "tst_eds_calendar.moc"
