#include "Models/MeetingModels.h"

#include <QtTest>

class MeetingModelsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void detection_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("service"); // empty: no link
        QTest::addColumn<QString>("link");

        const QString teamsNote = "Agenda: https://teams.microsoft.com/l/meetup-join/19%3ameeting_x\"> more";
        QTest::newRow("zoom address wins over teams notes") << "https://acme.zoom.us/j/123?pwd=x"
                                                            << "" << teamsNote << "Zoom"
                                                            << "https://acme.zoom.us/j/123?pwd=x";
        QTest::newRow("unknown address, teams in notes")
            << "https://example.com/join"
            << "" << teamsNote << "Teams"
            << "https://teams.microsoft.com/l/meetup-join/19%3Ameeting_x";
        QTest::newRow("own address with keyword but no provider") << "https://example.com/join"
                                                                  << ""
                                                                  << ""
                                                                  << ""
                                                                  << "";
        QTest::newRow("meet in location before notes") << ""
                                                       << "Sala 3 https://meet.google.com/abc-defg-hij"
                                                       << "https://zoom.us/j/9"
                                                       << "Google Meet"
                                                       << "https://meet.google.com/abc-defg-hij";
        QTest::newRow("webex with query") << ""
                                          << ""
                                          << "https://acme.webex.com/meet/j.doe?x=1"
                                          << "Webex"
                                          << "https://acme.webex.com/meet/j.doe?x=1";
        QTest::newRow("generic with keyword") << ""
                                              << ""
                                              << "See https://example.com/conference/42 now"
                                              << "Link"
                                              << "https://example.com/conference/42";
        QTest::newRow("first generic address without keyword") << ""
                                                               << ""
                                                               << "https://example.com/a https://x.com/call"
                                                               << ""
                                                               << "";
        QTest::newRow("capital scheme is no address") << ""
                                                      << ""
                                                      << "HTTPS://zoom.us/j/1"
                                                      << ""
                                                      << "";
        // Any other scheme around a provider address never becomes a join link.
        QTest::newRow("javascript in URL field") << "javascript:alert('https://zoom.us/j/1')"
                                                 << ""
                                                 << ""
                                                 << ""
                                                 << "";
        QTest::newRow("custom scheme in URL field") << "zoommtg://zoom.us/j/1?x=https://zoom.us/j/1"
                                                    << ""
                                                    << ""
                                                    << ""
                                                    << "";
    }

    void detection() {
        QFETCH(QString, url);
        QFETCH(QString, location);
        QFETCH(QString, notes);
        QFETCH(QString, service);
        QFETCH(QString, link);
        CalendarOccurrence occurrence;
        occurrence.url = QUrl(url);
        if (!location.isEmpty())
            occurrence.location = location;
        if (!notes.isEmpty())
            occurrence.notes = notes;
        const auto found = MeetingLinkDetector::detect(occurrence);
        QCOMPARE(found ? rawValue(found->service) : QString(), service);
        QCOMPARE(found ? found->url.toString(QUrl::FullyEncoded) : QString(), link);
    }

    void countdown_data() {
        QTest::addColumn<qint64>("msToStart");
        QTest::addColumn<QString>("text");
        QTest::newRow("past") << qint64(-5000) << "agora";
        QTest::newRow("now") << qint64(0) << "agora";
        QTest::newRow("59.9 s") << qint64(59900) << "<1m";
        QTest::newRow("60 s") << qint64(60000) << "1m";
        QTest::newRow("3599 s") << qint64(3599000) << "59m";
        QTest::newRow("3659 s") << qint64(3659000) << "1h";
        QTest::newRow("3660 s") << qint64(3660000) << "1h1m";
        QTest::newRow("7325 s") << qint64(7325000) << "2h2m";
    }

    void countdown() {
        QFETCH(qint64, msToStart);
        QFETCH(QString, text);
        const QDateTime now(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
        Meeting meeting;
        meeting.startDate = now.addMSecs(msToStart);
        QCOMPARE(meeting.countdownString(now), text);
    }

    void fallbacksAndTimeRange() {
        const QDateTime now(QDate(2026, 3, 2), QTime(14, 5), Qt::UTC);
        CalendarOccurrence bare;
        bare.calendar = CalendarSource{"c", "Work", QColor()};
        const Meeting meeting = Meeting::fromOccurrence(bare, now);
        QCOMPARE(meeting.id.size(), 36);
        QCOMPARE(meeting.title, QString("Sem título"));
        QCOMPARE(meeting.startDate, now);
        QCOMPARE(meeting.endDate, now);
        QCOMPARE(meeting.calendarInfo.title, QString("Work"));
        QCOMPARE(meeting.calendarInfo.color, QColor(0x00, 0x7A, 0xFF));
        QCOMPARE(meeting.formattedTimeRange(QLocale("pt_BR"), QTimeZone::utc()), QString("14:05 – 14:05"));
        QCOMPARE(meeting.formattedTimeRange(QLocale("en_US"), QTimeZone::utc()),
                 QString("2:05 PM – 2:05 PM"));
    }
};

QTEST_GUILESS_MAIN(MeetingModelsTest)
#include "tst_MeetingModels.moc"
