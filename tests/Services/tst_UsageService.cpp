#include "FakeClock.h"
#include "FakeSecretStore.h"
#include "LoopbackHttpServer.h"
#include "Services/DiagnosticsService.h"
#include "Services/UsageService.h"

#include <QTemporaryDir>
#include <QTest>

using Kind = UsageFetchError::Kind;
using TokenRead = UsageTokenSources::TokenRead;

namespace {

const QString expired = QStringLiteral("Sessão expirada. Abra o Claude Code para reautenticar.");
const QString rateLimit =
    QStringLiteral("Limite de requisições atingido. Aguarde alguns instantes e atualize novamente.");
const QString notSignedIn = UsageService::noTokenMessage(SecretStatus::itemNotFound);
const QString denied = UsageService::noTokenMessage(SecretStatus::authFailed);
const QString missing = UsageService::noTokenMessage(SecretStatus::success);

UsageFetchResult answerFor(const QString& code) {
    if (code == u"200")
        return {UsageResponse{UsagePeriod{42, QStringLiteral("2026-03-02T10:00:00Z")}, {}, {}, {}}, {}};
    if (code == u"401")
        return {std::nullopt, {Kind::authenticationRequired, {}}};
    if (code == u"429")
        return {std::nullopt, {Kind::rateLimited, {}}};
    return {std::nullopt, {Kind::other, QStringLiteral("HTTP 500: boom")}};
}

} // namespace

class TestUsageService : public QObject {
    Q_OBJECT

    FakeClock clock;
    std::shared_ptr<FakeSecretStore> store;
    QStringList reads;      // tokens the sources give, in order ("" for none)
    qint32 readStatus = 0;  // status of every read
    QStringList answers;    // codes the endpoint answers, in order
    QStringList sentTokens; // tokens the endpoint received
    int readCount = 0;
    bool holdAnswers = false; // keeps answers until released
    QList<std::function<void()>> held;

    std::unique_ptr<UsageService> makeService() {
        UsageServiceParts parts;
        parts.clock = &clock;
        parts.readToken = [this](QObject* context, auto done) {
            const QString token = reads.value(readCount++);
            const qint32 status = readStatus;
            QMetaObject::invokeMethod(
                context,
                [=] {
                    done(TokenRead{token.isEmpty() ? std::nullopt : std::optional(token), status});
                },
                Qt::QueuedConnection);
        };
        parts.callUsageAPI = [this](const QString& token, QObject* context, auto done) {
            const UsageFetchResult result = answerFor(answers.value(sentTokens.size()));
            sentTokens.append(token);
            auto deliver = [=] {
                QMetaObject::invokeMethod(
                    context, [=] { done(result); }, Qt::QueuedConnection);
            };
            holdAnswers ? held.append(deliver) : deliver();
        };
        return std::make_unique<UsageService>(parts);
    }

    // Applies a first good answer so that a later failure can be seen to keep it.
    static void seed(UsageService& service) {
        service.applyResponse(
            {UsagePeriod{45, {}}, UsagePeriod{10, QStringLiteral("2026-03-05T09:00:00Z")}, {}, {}});
    }

private Q_SLOTS:
    void init() {
        store = std::make_shared<FakeSecretStore>();
        KeychainService::setStore(store);
        reads.clear(), answers.clear(), sentTokens.clear(), held.clear();
        readCount = 0, readStatus = 0, holdAnswers = false;
    }

    void fetchDecisions_data() {
        QTest::addColumn<QStringList>("tokens");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("sent");
        const QStringList none;
        QTest::newRow("no credentials") << QStringList{""} << -25300 << none << notSignedIn << none;
        QTest::newRow("read refused") << QStringList{""} << -25293 << none << denied << none;
        QTest::newRow("keyring locked") << QStringList{""} << -25308 << none << denied << none;
        QTest::newRow("interaction required") << QStringList{""} << -25315 << none << denied << none;
        QTest::newRow("credentials without token") << QStringList{""} << 0 << none << missing << none;
        QTest::newRow("no secret service") << QStringList{""} << -25291 << none << missing << none;
        QTest::newRow("success") << QStringList{"A"} << 0 << QStringList{"200"} << QString()
                                 << QStringList{"A"};
        QTest::newRow("rate limited")
            << QStringList{"A"} << 0 << QStringList{"429"} << rateLimit << QStringList{"A"};
        QTest::newRow("other failure")
            << QStringList{"A"} << 0 << QStringList{"500"}
            << QStringLiteral("Erro ao buscar uso: HTTP 500: boom") << QStringList{"A"};
        QTest::newRow("401, same token again")
            << QStringList{"A", "A"} << 0 << QStringList{"401"} << expired << QStringList{"A"};
        QTest::newRow("401, then no token")
            << QStringList{"A", ""} << 0 << QStringList{"401"} << expired << QStringList{"A"};
        QTest::newRow("401, new token rate limited")
            << QStringList{"A", "B"} << 0 << QStringList{"401", "429"} << expired << QStringList{"A", "B"};
        QTest::newRow("401, new token works")
            << QStringList{"A", "B"} << 0 << QStringList{"401", "200"} << QString() << QStringList{"A", "B"};
    }

    void fetchDecisions() {
        QFETCH(QStringList, tokens);
        QFETCH(int, status);
        QFETCH(QStringList, codes);
        QFETCH(QString, error);
        QFETCH(QStringList, sent);
        reads = tokens, readStatus = status, answers = codes;
        const auto service = makeService();
        seed(*service);
        service->fetch(false);
        QTRY_COMPARE(readCount, tokens.size());
        QTest::qWait(20);
        QCOMPARE(service->errorMessage(), error);
        QCOMPARE(service->errorMessage().isNull(), error.isNull());
        QCOMPARE(sentTokens, sent);
        QCOMPARE(service->lastKeychainStatus(), status);
        // A failure keeps the last figures; a success replaces only the windows it carries.
        QCOMPARE(service->sessionLeft(), error.isNull() ? 58.0 : 55.0);
        QCOMPARE(service->weeklyLeft(), 90.0);
        QCOMPARE(service->lastUpdated().isValid(), error.isNull());
    }

    void cachedTokenAndLifecycle() {
        reads = {"A", "B"}, answers = {"200", "200", "200", "200"};
        const auto service = makeService();
        service->start();
        QVERIFY(service->isRunning());
        QTRY_COMPARE(sentTokens.size(), 1);
        service->fetch(false); // reuses the cached token
        QTRY_COMPARE(sentTokens.size(), 2);
        QCOMPARE(readCount, 1);
        service->fetch(true); // reads the sources again
        QTRY_COMPARE(sentTokens, (QStringList{"A", "A", "B"}));
        // A fetch still under way when stopped applies its outcome.
        holdAnswers = true;
        service->fetch(false);
        service->stop();
        QVERIFY(!service->isRunning());
        service->clearManualToken();
        QVERIFY(!service->sessionLeft() && service->lastUpdated().isValid() &&
                service->sessionResetsAt().isValid());
        for (const auto& deliver : held)
            deliver();
        QTRY_COMPARE(service->sessionLeft(), 58.0);
    }

    void failedSaveIsReportedAndLoggedWithoutToken() {
        QTemporaryDir logDir;
        Diagnostics::setLogFilePathForTesting(logDir.filePath(QStringLiteral("tavimor.log")));
        Diagnostics::setSystemLogSinkForTesting({});
        reads = {"", ""}, readStatus = -25300;
        const auto service = makeService();
        store->forcedStatus.insert(QStringLiteral("add"), SecretStatus::authFailed);
        std::optional<std::optional<KeychainError>> outcome;
        service->saveManualToken(QStringLiteral("secret-token"), [&](auto error) { outcome = error; });
        QTRY_VERIFY(outcome.has_value());
        QCOMPARE(outcome->value_or(KeychainError{}).status, SecretStatus::authFailed);
        QTRY_COMPARE(readCount, 1); // the fetch still runs
        Diagnostics::flush();
        QFile log(logDir.filePath(QStringLiteral("tavimor.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray logged = log.readAll();
        QVERIFY(logged.contains("[WARN]") && logged.contains("-25293") && !logged.contains("secret-token"));
        QVERIFY(!service->hasManualToken());

        store->forcedStatus.clear();
        outcome.reset();
        service->saveManualToken(QStringLiteral("secret-token"), [&](auto error) { outcome = error; });
        QTRY_VERIFY(outcome.has_value() && !outcome->has_value());
        QTRY_VERIFY(service->hasManualToken());
        service->clearManualToken();
        QTRY_VERIFY(!service->hasManualToken());
        Diagnostics::setLogFilePathForTesting({});
    }

    // The real endpoint client against a loopback server: every hostile answer ends as the right text, and
    // the token is only ever sent, trimmed, to the endpoint's own origin.
    void answersOfALoopbackEndpoint_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("error"); // null: success; ending in "…": a prefix of the text
        QTest::addColumn<double>("sessionLeft");
        const auto reply = [](int status, const QByteArray& body, const QByteArray& headers = {}) {
            return LoopbackHttpServer::reply(status, body, headers);
        };
        const QString generic = QStringLiteral("Erro ao buscar uso: "), anyCause = generic + u'…';
        const QByteArray html = "<html>" + QByteArray(300, 'x') + "</html>";
        QTest::newRow("wrong types") << reply(200,
                                              R"({"five_hour": {"utilization": "42"}, "seven_day": [1]})")
                                     << "tok" << QString() << 100.0;
        QTest::newRow("top-level scalar") << reply(200, "42") << "tok" << QString() << -1.0;
        QTest::newRow("negative utilization")
            << reply(200, R"({"five_hour": {"utilization": -5}})") << "tok" << QString() << 105.0;
        QTest::newRow("token trimmed of CR/LF") << reply(200, "{}") << " tok\r\n" << QString() << -1.0;
        QTest::newRow("invalid UTF-8") << reply(200, "{\"a\": \"\xff\"}") << "tok" << anyCause << -1.0;
        QTest::newRow("empty 204") << reply(204, "") << "tok" << anyCause << -1.0;
        QTest::newRow("many megabytes") << reply(200, QByteArray(5 << 20, ' ')) << "tok" << anyCause << -1.0;
        QTest::newRow("401") << reply(401, "{}") << "tok" << expired << -1.0;
        QTest::newRow("403") << reply(403, "denied") << "tok" << generic + "HTTP 403: denied" << -1.0;
        QTest::newRow("429") << reply(429, "") << "tok" << rateLimit << -1.0;
        QTest::newRow("429 retry_after")
            << reply(429, R"({"retry_after": 30})", "Retry-After: 30\r\n") << "tok" << rateLimit << -1.0;
        QTest::newRow("500 long HTML")
            << reply(500, html) << "tok" << generic + "HTTP 500: " + QString::fromLatin1(html.left(120))
            << -1.0;
        QTest::newRow("500 invalid UTF-8")
            << reply(500, "\xff\xfe") << "tok" << generic + "HTTP 500: " << -1.0;
        QTest::newRow("redirect to another origin") << QByteArray("redirect") << "tok" << anyCause << -1.0;
        QTest::newRow("silence") << QByteArray("silence") << "tok" << anyCause << -1.0;
        QTest::newRow("refused port") << QByteArray("refused") << "tok" << anyCause << -1.0;
        QTest::newRow("control character")
            << reply(200, "{}") << "a\r\nX-Evil: 1" << generic + "o token…" << -1.0;
    }

    void answersOfALoopbackEndpoint() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, token);
        QFETCH(QString, error);
        QFETCH(double, sessionLeft);
        LoopbackHttpServer server, elsewhere;
        elsewhere.answer = LoopbackHttpServer::reply(200, R"({"five_hour": {"utilization": 1}})");
        server.answer = answer;
        server.silent = answer == "silence";
        if (answer == "redirect")
            server.answer = "HTTP/1.1 302 Found\r\nLocation: " + elsewhere.url().toEncoded() +
                            "\r\nContent-Length: 0\r\n\r\n";
        QUrl base = server.url();
        if (answer == "refused")
            base.setPort(elsewhere.url().port() == 1 ? 2 : 1);
        UsageEndpointClient endpoint(base, nullptr, 500);
        UsageServiceParts parts;
        parts.readToken = [&](QObject*, auto done) { done(TokenRead{token, 0}); };
        parts.callUsageAPI = [&](const QString& t, QObject* context, auto done) {
            endpoint.fetch(t, context, done);
        };
        UsageService service(parts);
        service.fetch(false);
        QTRY_VERIFY_WITH_TIMEOUT(!service.errorMessage().isNull() || service.lastUpdated().isValid(), 5000);
        const QString shown = service.errorMessage();
        QVERIFY2(error.endsWith(u'…') ? shown.startsWith(error.chopped(1))
                                      : shown == error && shown.isNull() == error.isNull(),
                 qPrintable(shown));
        QCOMPARE(service.sessionLeft().value_or(-1), sessionLeft);
        QVERIFY(elsewhere.requests.isEmpty());
        for (const QByteArray& request : server.requests) {
            QVERIFY(request.startsWith("GET /api/oauth/usage HTTP/1.1\r\n"));
            for (const char* header :
                 {"\r\nAuthorization: Bearer tok\r\n", "\r\nAccept: application/json\r\n",
                  "\r\nanthropic-beta: oauth-2025-04-20\r\n", "\r\nUser-Agent: claude-code/2.1.69\r\n"})
                QVERIFY2((request + "\r\n").contains(header), request.constData());
        }
        QCOMPARE(server.requests.isEmpty(), token.contains(u"X-Evil") || answer == "refused");
    }
};

QTEST_GUILESS_MAIN(TestUsageService)
#include "tst_UsageService.moc"
