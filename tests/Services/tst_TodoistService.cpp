#include "Services/KeychainService.h"
#include "Services/TodoistService.h"

#include "FakeClock.h"
#include "FakeSecretStore.h"
#include "LoopbackHttpServer.h"

#include <QtTest>

static QStringList contents(const QList<TodoistTask>& tasks) {
    QStringList list;
    for (const auto& t : tasks)
        list << t.content;
    return list;
}

class TodoistServiceTest : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeSecretStore> secrets;
    // Each test talks to a fresh server through a fresh client.
    std::unique_ptr<LoopbackHttpServer> server;
    std::unique_ptr<WebClient> web;
    FakeClock clock{QDateTime(QDate(2026, 3, 2), QTime(12, 0), Qt::UTC), QTimeZone("America/Sao_Paulo")};
    FakeScheduler scheduler;
    NotificationCenter notifications;
    std::unique_ptr<TodoistService> service;

    void startWithToken(const QByteArray& token) {
        if (!token.isNull())
            secrets->items.insert({KeychainService::serviceName, TodoistService::tokenKey}, {token, "t"});
        service->start();
        if (!token.isNull())
            QTRY_VERIFY(service->hasToken());
    }

    QByteArray requestLine(qsizetype index) const {
        const QByteArray& request = server->requests.at(index);
        return request.left(request.indexOf("\r\n"));
    }

private Q_SLOTS:
    void init() {
        secrets = std::make_shared<FakeSecretStore>();
        KeychainService::setStore(secrets);
        service.reset();
        server = std::make_unique<LoopbackHttpServer>();
        web = std::make_unique<WebClient>();
        server->answer = LoopbackHttpServer::reply(200, "[]");
        service = std::make_unique<TodoistService>(*web, clock, scheduler,
                                                   TodoistEndpoint{server->url(QStringLiteral("/base")), 500},
                                                   notifications);
    }

    // Hostile, failed or missing answers to the task list give one short text and keep the tasks; a redirect
    // to another origin is not followed.
    void answers() {
        using S = LoopbackHttpServer;
        LoopbackHttpServer elsewhere;
        const std::pair<QByteArray, QString> cases[] = {
            {S::reply(401, "{}"), "Token inválido"},
            {S::reply(429, R"({"error":"slow","error_extra":{"retry_after":30}})"),
             "Rate limit. Retry em 30s"},
            {S::reply(429, ""), "Rate limit"},
            {S::reply(500, QByteArray(200'000, 'x')), "Erro 500"},
            {S::reply(204, ""), "Erro 204"},
            {S::reply(200, "{\"results\":\"x\",\n\"n\":1}"),
             "Erro ao ler dados do Todoist em: <root> (Expected to decode Array<Any> but found dictionary "
             "instead.). Payload: {\"results\":\"x\", \"n\":1}"},
            {S::reply(200, "[\"\xff\xfe\"]"), "Erro ao ler dados do Todoist em: <root> (The given data was "
                                              "not valid JSON. (invalid UTF8 string))"},
            {S::reply(200, "[" + QByteArray(5 << 20, ' ') + "]"), "the answer is too large"},
            {S::reply(302, "", "Location: " + elsewhere.url("/api/v1/tasks").toEncoded() + "\r\n"),
             "Erro 302"},
            {QByteArray(), "the server did not answer in time"},
            {"refused", "Connection refused"},
        };
        for (const auto& [answer, error] : cases) {
            init();
            server->answer = answer;
            server->silent = answer.isEmpty();
            if (answer == "refused")
                server.reset(); // nothing listens on its port any more
            startWithToken("tok");
            QTRY_COMPARE_WITH_TIMEOUT(service->errorText(), error, 3000);
            QVERIFY(!service->isLoading() && service->tasks().isEmpty());
            if (server)
                QCOMPARE(requestLine(0), QByteArray("GET /base/api/v1/tasks?limit=200 HTTP/1.1"));
        }
        QVERIFY(elsewhere.requests.isEmpty());
    }

    // A token that could inject headers is never sent, nor shown; a token is trimmed; without a token nothing
    // is asked.
    void tokens() {
        const std::tuple<QByteArray, QByteArray, QString> rows[] = {
            {" tok\r\n", "Authorization: Bearer tok", ""},
            {"abc\r\nX-Evil: 1", {}, "Token inválido"},
            {"abc\x01", {}, "Token inválido"},
            {{}, {}, ""}}; // no keychain item
        for (const auto& [token, authorization, error] : rows) {
            init();
            startWithToken(token);
            QTRY_VERIFY(secrets->operations.size() >= (token.isNull() ? 1 : 4));
            service->closeTask("1");
            notifications.post(Notifications::todoistTokenSaved);
            QTest::qWait(200);
            QCOMPARE(service->errorText(), error);
            QCOMPARE(server->requests.isEmpty(), authorization.isEmpty());
            if (!authorization.isEmpty())
                QVERIFY(server->requests[0].contains("\r\n" + authorization + "\r\n"));
        }
    }

    void closeTask() {
        server->answer = LoopbackHttpServer::reply(
            200, R"([{"id":"a/b c","content":"one"},{"id":"x","content":"two"},{"content":"idless"}])");
        startWithToken("tok");
        QTRY_COMPARE(service->tasks().size(), 3);
        server->requests.clear();

        service->closeTask(QString()); // nothing: not even the task without an id goes
        QVERIFY(service->completingTaskIds().isEmpty());

        server->answer = LoopbackHttpServer::reply(204, "");
        service->closeTask("a/b c");
        QCOMPARE(service->completingTaskIds(), QSet<QString>{"a/b c"});
        scheduler.advance(399);
        QCOMPARE(service->tasks().size(), 3);
        scheduler.advance(1);
        QCOMPARE(contents(service->tasks()), QStringList({"two", "idless"}));
        QTRY_COMPARE(server->requests.size(), 1);
        QCOMPARE(requestLine(0), QByteArray("POST /base/api/v1/tasks/a%2Fb%20c/close HTTP/1.1"));

        server->answer = LoopbackHttpServer::reply(404, "");
        service->closeTask("x");
        scheduler.advance(400);
        QTRY_COMPARE(server->requests.size(), 3); // the close, then the list again
        QCOMPARE(requestLine(server->requests.size() - 1),
                 QByteArray("GET /base/api/v1/tasks?limit=200 HTTP/1.1"));
    }

    void overdueAndTodayOrder() {
        // 12:00 UTC is 09:00 in São Paulo on 2 March.
        server->answer = LoopbackHttpServer::reply(200, R"([{"content":"o 05-02","due_date":"2024-05-02"},
            {"content":"o 05-01 p1","due_date":"2024-05-01"}, {"content":"o 05-01 p4","due_date":"2024-05-01","priority":4},
            {"content":"t 14:00","due_date":"2026-03-02T14:00:00"}, {"content":"t p1","due_date":"2026-03-02"},
            {"content":"t 09:00","due_date":"2026-03-02T09:00:00"}, {"content":"t p3","due_date":"2026-03-02","priority":3},
            {"content":"t utc","due_date":"2026-03-02T23:30:00Z"}, {"content":"done","due_date":"2024-05-01","checked":true}])");
        startWithToken("tok");
        QTRY_COMPARE(service->tasks().size(), 9);
        QCOMPARE(contents(service->overdueTasks()), QStringList({"o 05-01 p4", "o 05-01 p1", "o 05-02"}));
        QCOMPARE(contents(service->todayTasks()),
                 QStringList({"t 09:00", "t 14:00", "t utc", "t p3", "t p1"}));
    }
};

QTEST_GUILESS_MAIN(TodoistServiceTest)
#include "tst_TodoistService.moc"
