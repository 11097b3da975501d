#include "FakeSecretStore.h"
#include "LoopbackHttpServer.h"
#include "Services/UsageService.h"

#include <QTest>

using TokenRead = UsageTokenSources::TokenRead;

namespace {
const QString expired = QStringLiteral("Sessão expirada. Abra o Claude Code para reautenticar.");
const QString rateLimit =
    QStringLiteral("Limite de requisições atingido. Aguarde alguns instantes e atualize novamente.");
const QString generic = QStringLiteral("Erro ao buscar uso: "), anyCause = generic + u'…';
QByteArray reply(int status, const QByteArray& body = "{}", const QByteArray& headers = {}) {
    return LoopbackHttpServer::reply(status, body, headers);
}
} // namespace

// The usage service over scripted token reads and the real endpoint client against a loopback server: what
// each answer and each token read end as, and that the token only ever reaches the endpoint's origin.
class TestUsageService : public QObject {
    Q_OBJECT

    LoopbackHttpServer server, elsewhere;
    QStringList reads;         // tokens the sources give, in order ("" for none)
    QList<QByteArray> answers; // the server's answer after each read, or "silence" or "refused"
    qint32 readStatus = 0;
    int readsDone = 0;

    std::unique_ptr<UsageService> makeService(UsageEndpointClient& endpoint) {
        UsageServiceParts parts;
        parts.readToken = [this](QObject*, auto done) {
            const QByteArray answer = answers.value(readsDone, answers.value(0));
            server.silent = answer == "silence";
            server.answer = answer;
            const QString token = reads.value(readsDone++);
            done(TokenRead{token.isEmpty() ? std::nullopt : std::optional(token), readStatus});
        };
        parts.callUsageAPI = [&endpoint](const QString& token, QObject* context, auto done) {
            endpoint.fetch(token, context, done);
        };
        auto service = std::make_unique<UsageService>(parts);
        service->applyResponse({UsagePeriod{45, {}}, UsagePeriod{10, {}}, {}, {}});
        return service;
    }

private Q_SLOTS:
    void init() {
        KeychainService::setStore(std::make_shared<FakeSecretStore>());
        server.requests.clear(), elsewhere.requests.clear();
        readsDone = 0;
    }

    // An error ending in "…" is a prefix of the text shown; a null error means success.
    void fetch_data() {
        QTest::addColumn<QStringList>("tokens");
        QTest::addColumn<int>("status");
        QTest::addColumn<QList<QByteArray>>("bodies");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("requests");
        QTest::addColumn<double>("sessionLeft"); // before the fetch: 55
        const QStringList none{""}, tok{"tok"}, twice{"A", "A"}, changed{"A", "B"};
        const QList<QByteArray> ok{reply(200)}, unauthorised{reply(401)};
        const QByteArray html = "<html>" + QByteArray(300, 'x') + "</html>";
        // clang-format off
        QTest::newRow("no credentials") << none << -25300 << ok << UsageService::noTokenMessage(-25300) << 0 << 55.0;
        QTest::newRow("keyring locked") << none << -25308 << ok << UsageService::noTokenMessage(-25293) << 0 << 55.0;
        QTest::newRow("interaction required") << none << -25315 << ok << UsageService::noTokenMessage(-25293) << 0 << 55.0;
        QTest::newRow("credentials without token") << none << 0 << ok << UsageService::noTokenMessage(0) << 0 << 55.0;
        QTest::newRow("401, same token") << twice << 0 << unauthorised << expired << 1 << 55.0;
        QTest::newRow("401, then none") << QStringList{"A", ""} << 0 << unauthorised << expired << 1 << 55.0;
        QTest::newRow("401, new token limited") << changed << 0 << QList{reply(401), reply(429)} << expired << 2 << 55.0;
        QTest::newRow("401, new token works") << changed << 0 << QList{reply(401), reply(200, R"({"five_hour": {"utilization": 30}})")}
                                              << QString() << 2 << 70.0;
        QTest::newRow("wrong types") << tok << 0 << QList{reply(200, R"({"five_hour": {"utilization": "42", "resets_at": 5}})")}
                                     << QString() << 1 << 100.0;
        QTest::newRow("top-level scalar") << tok << 0 << QList{reply(200, "42")} << QString() << 1 << 55.0;
        QTest::newRow("negative use") << tok << 0 << QList{reply(200, R"({"five_hour": {"utilization": -5}})")} << QString() << 1 << 105.0;
        QTest::newRow("token trimmed of CR/LF") << QStringList{" tok\r\n"} << 0 << ok << QString() << 1 << 55.0;
        QTest::newRow("invalid UTF-8") << tok << 0 << QList{reply(200, "{\"a\": \"\xff\"}")} << anyCause << 1 << 55.0;
        QTest::newRow("empty 204") << tok << 0 << QList{reply(204, "")} << anyCause << 1 << 55.0;
        QTest::newRow("many megabytes") << tok << 0 << QList{reply(200, QByteArray(5 << 20, ' '))} << anyCause << 1 << 55.0;
        QTest::newRow("403") << tok << 0 << QList{reply(403, "denied")} << generic + "HTTP 403: denied" << 1 << 55.0;
        QTest::newRow("429") << tok << 0 << QList{reply(429, "")} << rateLimit << 1 << 55.0;
        QTest::newRow("429 retry_after") << tok << 0 << QList{reply(429, "{\"retry_after\": 9}", "Retry-After: 9\r\n")}
                                         << rateLimit << 1 << 55.0;
        QTest::newRow("500 long HTML") << tok << 0 << QList{reply(500, html)} << generic + "HTTP 500: " + html.left(120) << 1 << 55.0;
        QTest::newRow("500 invalid UTF-8") << tok << 0 << QList{reply(500, "\xff\xfe")} << generic + "HTTP 500: " << 1 << 55.0;
        QTest::newRow("redirect to another origin") << tok << 0 << QList{reply(302, "", "Location: " + elsewhere.url().toEncoded() + "\r\n")} << anyCause << 1 << 55.0;
        QTest::newRow("silence") << tok << 0 << QList<QByteArray>{"silence"} << anyCause << 1 << 55.0;
        QTest::newRow("refused port") << tok << 0 << QList<QByteArray>{"refused"} << anyCause << 0 << 55.0;
        QTest::newRow("control character") << QStringList{"a\r\nX-Evil: 1"} << 0 << ok << generic + "o token…" << 0 << 55.0;
        // clang-format on
    }

    void fetch() {
        QFETCH(QStringList, tokens);
        QFETCH(int, status);
        QFETCH(QList<QByteArray>, bodies);
        QFETCH(QString, error);
        QFETCH(double, sessionLeft);
        reads = tokens, readStatus = status, answers = bodies;
        QUrl base = server.url();
        if (bodies.first() == "refused")
            base.setPort(1);
        UsageEndpointClient endpoint(base, nullptr, 500);
        const auto service = makeService(endpoint);
        service->fetch(false);
        QTRY_VERIFY(!service->errorMessage().isNull() || service->lastUpdated().isValid());
        const QString shown = service->errorMessage();
        QVERIFY2(error.endsWith(u'…') ? shown.startsWith(error.chopped(1)) : shown == error,
                 qPrintable(shown));
        QCOMPARE(service->lastKeychainStatus(), status);
        QCOMPARE(service->sessionLeft(), sessionLeft); // a failure keeps the last figures
        QCOMPARE(service->weeklyLeft(), 90.0);
        QTEST(int(server.requests.size()), "requests");
        QVERIFY(elsewhere.requests.isEmpty());
        for (qsizetype i = 0; i < server.requests.size(); ++i) // the headers, explicitly and in this order
            QVERIFY2(
                server.requests[i].startsWith("GET /api/oauth/usage HTTP/1.1\r\n") &&
                    server.requests[i].contains("\nAuthorization: Bearer " + tokens[i].trimmed().toUtf8() +
                                                "\r\nAccept: application/json\r\nanthropic-beta: "
                                                "oauth-2025-04-20\r\nUser-Agent: claude-code/2.1.69\r\n"),
                server.requests[i].constData());
    }

    // A fetch reuses the token that worked until it is forced to read the sources again.
    void cachedToken() {
        reads = {"A", "B"}, answers = {reply(200)};
        UsageEndpointClient endpoint(server.url());
        const auto service = makeService(endpoint);
        for (const bool force : {false, false, true})
            service->fetch(force);
        QTRY_COMPARE(server.requests.size(), 3);
        QCOMPARE(readsDone, 2);
        QVERIFY(server.requests.first().contains("Bearer A") && server.requests.last().contains("Bearer B"));
    }
};

QTEST_GUILESS_MAIN(TestUsageService)
#include "tst_UsageService.moc"
