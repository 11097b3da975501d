#include "Models/MeetingModels.h"

#include <QtTest>

class MeetingModelsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // url field, location, notes -> service and address of the join link ("" = none).
    void detection() {
        const QString teams = "https://teams.microsoft.com/l/meetup-join/19%3Ameeting_x";
        const QString teamsNote = "Agenda: " + teams + "\"> more";
        const std::tuple<QString, QString, QString, QString, QString> cases[] = {
            {"https://acme.zoom.us/j/123?pwd=x", "", teamsNote, "Zoom", "https://acme.zoom.us/j/123?pwd=x"},
            {"https://example.com/join", "", teamsNote, "Teams", teams},
            {"https://example.com/join", "", "", "", ""},
            {"", "Sala https://meet.google.com/abc-defg-hij", "https://zoom.us/j/9", "Google Meet",
             "https://meet.google.com/abc-defg-hij"},
            {"", "", "https://acme.webex.com/meet/j.doe?x=1", "Webex",
             "https://acme.webex.com/meet/j.doe?x=1"},
            {"", "", "See https://example.com/conference/42 now", "Link",
             "https://example.com/conference/42"},
            {"", "", "https://example.com/a https://x.com/call", "", ""},
            {"", "", "HTTPS://zoom.us/j/1", "", ""},
            // any other scheme around a provider address never becomes a join link
            {"javascript:alert('https://zoom.us/j/1')", "", "", "", ""},
            {"zoommtg://zoom.us/j/1?x=https://zoom.us/j/1", "", "", "", ""},
        };
        for (const auto& [url, location, notes, service, link] : cases) {
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
    }

    void countdown() {
        const QDateTime now(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
        const std::pair<qint64, const char*> cases[] = {{-5000, "agora"},  {0, "agora"},     {59900, "<1m"},
                                                        {60000, "1m"},     {3599000, "59m"}, {3659000, "1h"},
                                                        {3660000, "1h1m"}, {7325000, "2h2m"}};
        for (const auto& [ms, text] : cases) {
            Meeting meeting;
            meeting.startDate = now.addMSecs(ms);
            QCOMPARE(meeting.countdownString(now), QString(text));
        }
    }

    void fallbacksAndTimeRange() {
        const QDateTime now(QDate(2026, 3, 2), QTime(14, 5), Qt::UTC);
        CalendarOccurrence bare;
        bare.calendar = CalendarSource{"c", "Work", QColor()};
        const Meeting meeting = Meeting::fromOccurrence(bare, now);
        QCOMPARE(meeting.id.size(), 36);
        QCOMPARE(meeting.title, QString("Sem título"));
        QVERIFY(meeting.endDate == now && meeting.calendarInfo.title == "Work");
        QCOMPARE(meeting.calendarInfo.color, QColor(0x00, 0x7A, 0xFF));
        QCOMPARE(meeting.formattedTimeRange(QLocale("pt_BR"), QTimeZone::utc()), QString("14:05 – 14:05"));
        QCOMPARE(meeting.formattedTimeRange(QLocale("en_US"), QTimeZone::utc()),
                 QString("2:05 PM – 2:05 PM"));
    }
};

QTEST_GUILESS_MAIN(MeetingModelsTest)
#include "tst_MeetingModels.moc"
