#include "Models/TodoistModels.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

QString summary(const TodoistTask& t) {
    return QStringList{t.id,
                       t.content,
                       t.projectId,
                       t.sectionId.value_or("-"),
                       t.labels.join(','),
                       QString::number(t.priority),
                       t.dueDate.value_or("-"),
                       t.duration.value_or("-")}
        .join('|');
}

template <typename T> QString listOutcome(const QByteArray& body) {
    const auto decoded = TodoistJson::decodeList<T>(body);
    if (const auto* list = std::get_if<QList<T>>(&decoded))
        return QString::number(list->size());
    const auto& failure = std::get<TodoistDecodeFailure>(decoded);
    return failure.path + " " + failure.detail.section(' ', 0, 3);
}

} // namespace

class TodoistModelsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void task_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("only content") << QByteArray(R"({"content":"a"})") << "|a||-||1|-|-";
        QTest::newRow("numeric ids") << QByteArray(R"({"id":987,"project_id":42,"section_id":42})")
                                     << "987||42|-||1|-|-";
        QTest::newRow("double and bool id")
            << QByteArray(R"({"id":12.5,"project_id":true})") << "12.5|||-||1|-|-";
        QTest::newRow("string priority, mixed labels")
            << QByteArray(R"({"priority":"4","labels":["a",1],"section_id":"s"})") << "|||s||1|-|-";
        QTest::newRow("flat due wins")
            << QByteArray(R"({"due_date":"2025-03-07","due":{"date":"2025-01-01"}})") << "||||1|2025-03-07|-";
        QTest::newRow("null flat, nested datetime")
            << QByteArray(R"({"due_date":null,"due":{"date":"2025-03-08","datetime":"2025-03-08T14:30:00"}})")
            << "||||1|2025-03-08T14:30:00|-";
        QTest::newRow("nested date of wrong type") << QByteArray(R"({"due":{"date":5}})") << "||||1|-|-";
        QTest::newRow("duration object")
            << QByteArray(R"({"duration":{"amount":30,"unit":"minute"}})") << "||||1|-|30m";
        QTest::newRow("duration without amount")
            << QByteArray(R"({"duration":{"unit":"day"}})") << "||||1|-|-";
        QTest::newRow("duration text and default unit") << QByteArray(R"({"duration":"1h"})") << "||||1|-|1h";
        QTest::newRow("amount alone") << QByteArray(R"({"duration":{"amount":45}})") << "||||1|-|45m";
    }

    void task() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        const auto decoded = TodoistTask::decode(QJsonDocument::fromJson(json).object(), {});
        QCOMPARE(summary(std::get<TodoistTask>(decoded)), expected.replace("||||", "|||-||"));
    }

    void lists_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("tasks");
        QTest::addColumn<QString>("projects");
        QTest::newRow("wrapped") << QByteArray(R"({"results":[{"id":1,"name":"P"}]})") << "1"
                                 << "1";
        QTest::newRow("bare") << QByteArray(R"([{"id":1,"name":"P"},{"id":2,"name":"Q"}])") << "2"
                              << "2";
        QTest::newRow("items") << QByteArray(R"({"items":[{"id":1,"name":"P"}]})") << "1"
                               << "1";
        QTest::newRow("data beside numeric results")
            << QByteArray(R"({"results":3,"data":[{"id":1,"name":"P"}]})") << "1"
            << "1";
        QTest::newRow("no known key") << QByteArray(R"({"x":[]})") << "<root> Expected to decode Array<Any>"
                                      << "<root> Expected to decode Array<Any>";
        QTest::newRow("not JSON") << QByteArray("<html>") << "<root> The given data was"
                                  << "<root> The given data was";
        QTest::newRow("invalid UTF-8") << QByteArray("[\"\xff\"]") << "<root> The given data was"
                                       << "<root> The given data was";
        QTest::newRow("number among objects")
            << QByteArray(R"({"results":[{"id":1,"name":"P"},7]})") << "<root> Expected to decode Array<Any>"
            << "<root> Expected to decode Array<Any>";
        QTest::newRow("bare array, bad element")
            << QByteArray(R"([{"id":1,"name":"P"},7])") << "Index 1 Expected to decode Dictionary<String,"
            << "Index 1 Expected to decode Dictionary<String,";
        QTest::newRow("project rules") << QByteArray(R"([{"id":1,"name":"P","color":true}])") << "1"
                                       << "Index 0.color Expected to decode String/Int/Double";
        QTest::newRow("project without name") << QByteArray(R"([{"id":1}])") << "1"
                                              << "Index 0 No value associated with";
    }

    void lists() {
        QFETCH(QByteArray, body);
        QFETCH(QString, tasks);
        QFETCH(QString, projects);
        QCOMPARE(listOutcome<TodoistTask>(body), tasks);
        QCOMPARE(listOutcome<TodoistProject>(body), projects);
    }

    void projectDefaultsAndErrorBody() {
        const auto project = std::get<TodoistProject>(TodoistProject::decode(
            QJsonDocument::fromJson(R"({"id":"p","name":"N","color":7})").object(), {}));
        QCOMPARE(project.color, QString("7"));
        const auto nullColor = std::get<TodoistProject>(TodoistProject::decode(
            QJsonDocument::fromJson(R"({"id":"p","name":"N","color":null})").object(), {}));
        QCOMPARE(nullColor.color, QString("charcoal"));
        QCOMPARE(TodoistError::decode(R"({"error":"x","error_extra":{"retry_after":15}})")->retryAfter, 15);
        QVERIFY(!TodoistError::decode(R"({"error_extra":{"retry_after":15}})"));
        QVERIFY(!TodoistError::decode(R"({"error":"x","error_code":"7"})"));
    }

    void overdue_data() {
        QTest::addColumn<QString>("due");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<bool>("overdue");
        QTest::newRow("old date") << "2020-01-01" << false << true;
        QTest::newRow("today") << "2026-03-02" << false << false;
        QTest::newRow("completed") << "2020-01-01" << true << false;
        QTest::newRow("no zone: first ten characters") << "2026-03-01T23:59:00" << false << true;
        QTest::newRow("earlier today with zone") << "2026-03-02T08:00:00Z" << false << false;
        QTest::newRow("yesterday 23:59 local") << "2026-03-01T23:59:00-03:00" << false << true;
        QTest::newRow("fraction and offset") << "2026-03-02T02:59:00.5Z" << false << true;
    }

    void overdue() {
        QFETCH(QString, due);
        QFETCH(bool, completed);
        QFETCH(bool, overdue);
        TodoistTask task;
        task.dueDate = due;
        task.isCompleted = completed;
        // 12:00 UTC is 09:00 in São Paulo; the local day began at 03:00 UTC.
        const QDateTime now(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC);
        QCOMPARE(task.isOverdue(now, QTimeZone("America/Sao_Paulo")), overdue);
    }
};

QTEST_GUILESS_MAIN(TodoistModelsTest)
#include "tst_TodoistModels.moc"
