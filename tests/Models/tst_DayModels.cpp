#include "Models/MeetingModels.h"
#include "Models/TodoistModels.h"

#include <QtTest>

static QJsonObject object(const char* json) {
    return QJsonDocument::fromJson(json).object();
}

static QString summary(const TodoistTask& t) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
        .arg(t.id, t.content, t.projectId, t.sectionId.value_or("-"), t.labels.join(','),
             QString::number(t.priority), t.dueDate.value_or("-"), t.duration.value_or("-"));
}

template <typename T> QString listOutcome(const QByteArray& body) {
    const auto decoded = TodoistJson::decodeList<T>(body);
    if (const auto* list = std::get_if<QList<T>>(&decoded))
        return QString::number(list->size());
    const auto& failure = std::get<TodoistDecodeFailure>(decoded);
    return failure.path + " " + failure.detail.section(' ', 0, 3);
}

// The day tab's models: meetings from the calendar and tasks from the task service.
class DayModelsTest : public QObject {
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
            occurrence.location = location;
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
        QCOMPARE(meeting.title, QString("Sem título"));
        QVERIFY(meeting.endDate == now && meeting.calendarInfo.title == "Work");
        QCOMPARE(meeting.formattedTimeRange(QLocale("pt_BR"), QTimeZone::utc()), QString("14:05 – 14:05"));
        QCOMPARE(meeting.formattedTimeRange(QLocale("en_US"), QTimeZone::utc()),
                 QString("2:05 PM – 2:05 PM"));
    }

    // Every field falls back on its own; a task never fails as a whole.
    void lenientTasks() {
        const std::pair<const char*, const char*> cases[] = {
            {R"({"content":"a"})", "|a||-||1|-|-"},
            {R"({"id":987,"project_id":42,"section_id":42})", "987||42|-||1|-|-"},
            {R"({"id":12.5,"project_id":true})", "12.5|||-||1|-|-"},
            {R"({"priority":"4","labels":["a",1],"section_id":"s"})", "|||s||1|-|-"},
            {R"({"due_date":"2025-03-07","due":{"date":"2025-01-01"}})", "|||-||1|2025-03-07|-"},
            {R"({"due_date":null,"due":{"date":"2025-03-08","datetime":"2025-03-08T14:30"}})",
             "|||-||1|2025-03-08T14:30|-"},
            {R"({"due":{"date":5}})", "|||-||1|-|-"},
            {R"({"duration":{"amount":30,"unit":"minute"}})", "|||-||1|-|30m"},
            {R"({"duration":{"unit":"day"}})", "|||-||1|-|-"},
            {R"({"duration":"1h"})", "|||-||1|-|1h"},
            {R"({"duration":{"amount":45}})", "|||-||1|-|45m"},
        };
        for (const auto& [json, expected] : cases)
            QCOMPARE(summary(std::get<TodoistTask>(TodoistTask::decode(object(json), {}))),
                     QString(expected));
    }

    // The list shapes the service may send, and where a failure is reported (for tasks; for projects when
    // they differ).
    void lists() {
        const std::tuple<const char*, const char*, const char*> cases[] = {
            {R"({"results":[{"id":1,"name":"P"}]})", "1", nullptr},
            {R"([{"id":1,"name":"P"},{"id":2,"name":"Q"}])", "2", nullptr},
            {R"({"items":[{"id":1,"name":"P"}]})", "1", nullptr},
            {R"({"results":3,"data":[{"id":1,"name":"P"}]})", "1", nullptr},
            {R"({"x":[]})", "<root> Expected to decode Array<Any>", nullptr},
            {"<html>", "<root> The given data was", nullptr},
            {R"({"results":[{"id":1,"name":"P"},7]})", "<root> Expected to decode Array<Any>", nullptr},
            {R"([{"id":1,"name":"P"},7])", "Index 1 Expected to decode Dictionary<String,", nullptr},
            {R"([{"id":1,"name":"P","color":true}])", "1",
             "Index 0.color Expected to decode String/Int/Double"},
            {R"([{"id":1}])", "1", "Index 0 No value associated with"},
        };
        for (const auto& [body, tasks, projects] : cases) {
            QCOMPARE(listOutcome<TodoistTask>(body), QString(tasks));
            QCOMPARE(listOutcome<TodoistProject>(body), QString(projects ? projects : tasks));
        }
    }

    void projectColoursAndErrorBodies() {
        const auto colour = [](const char* json) {
            return std::get<TodoistProject>(TodoistProject::decode(object(json), {})).color;
        };
        QCOMPARE(colour(R"({"id":"p","name":"N","color":7})"), QString("7"));
        QCOMPARE(colour(R"({"id":"p","name":"N","color":null})"), QString("charcoal"));
        QCOMPARE(TodoistError::decode(R"({"error":"x","error_extra":{"retry_after":15}})")->retryAfter, 15);
        QVERIFY(!TodoistError::decode(R"({"error_extra":{}})") &&
                !TodoistError::decode(R"({"error":"x","error_code":"7"})"));
    }

    // 12:00 UTC is 09:00 in São Paulo; the local day began at 03:00 UTC.
    void overdue() {
        const QDateTime now(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC);
        const std::tuple<const char*, bool, bool> cases[] = {
            {"2020-01-01", false, true},
            {"2026-03-02", false, false},
            {"2020-01-01", true, false},
            {"2026-03-01T23:59:00", false, true},
            {"2026-03-02T08:00:00Z", false, false},
            {"2026-03-01T23:59:00-03:00", false, true},
            {"2026-03-02T02:59:00.5Z", false, true},
        };
        for (const auto& [due, completed, overdue] : cases) {
            TodoistTask task;
            task.dueDate = QString::fromLatin1(due);
            task.isCompleted = completed;
            QVERIFY2(task.isOverdue(now, QTimeZone("America/Sao_Paulo")) == overdue, due);
        }
    }
};

QTEST_GUILESS_MAIN(DayModelsTest)
#include "tst_DayModels.moc"
