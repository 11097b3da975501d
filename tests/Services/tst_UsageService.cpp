#include "FakeSecretStore.h"
#include "LoopbackHttpServer.h"
#include "Services/DiagnosticsService.h"
#include "Services/UsageService.h"

#include <QTemporaryDir>
#include <QTest>

using TokenRead = UsageTokenSources::TokenRead;

namespace {
const QString expired = QStringLiteral("Sessão expirada. Abra o Claude Code para reautenticar.");
const QString rateLimit =
    QStringLiteral("Limite de requisições atingido. Aguarde alguns instantes e atualize novamente.");
const QString generic = QStringLiteral("Erro ao buscar uso: "), anyCause = generic + u'…';
} // namespace

class TestUsageService : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeSecretStore> store;
    QStringList reads, answers, sent; // tokens the sources give ("" none); endpoint answers; tokens it got
    qint32 readStatus = 0;
    QList<std::function<void()>> held; // answers kept back while holding
    bool holding = false;
    int readsDone = 0;

    // A service over scripted token reads and endpoint answers ("200", "401", "429", else a 500).
    std::unique_ptr<UsageService> scripted() {
        UsageServiceParts parts;
        parts.readToken = [this](QObject*, auto done) {
            const QString token = reads.value(readsDone++);
            done(TokenRead{token.isEmpty() ? std::nullopt : std::optional(token), readStatus});
        };
        parts.callUsageAPI = [this](const QString& token, QObject*, auto done) {
            const QString code = answers.value(sent.size() + held.size());
            const auto kind = code == u"401"   ? UsageFetchError::Kind::authenticationRequired
                              : code == u"429" ? UsageFetchError::Kind::rateLimited
                                               : UsageFetchError::Kind::other;
            const UsageFetchResult result =
                code == u"200" ? UsageFetchResult{UsageResponse{UsagePeriod{42, {}}, {}, {}, {}}, {}}
                               : UsageFetchResult{{}, {kind, QStringLiteral("HTTP 500: boom")}};
            holding ? held.append([=] { done(result); }) : (sent.append(token), done(result));
        };
        auto service = std::make_unique<UsageService>(parts);
        service->applyResponse({UsagePeriod{45, {}}, UsagePeriod{10, {}}, {}, {}});
        return service;
    }

private Q_SLOTS:
    void init() {
        store = std::make_shared<FakeSecretStore>();
        KeychainService::setStore(store);
        reads.clear(), answers.clear(), sent.clear(), held.clear();
        readStatus = 0, readsDone = 0, holding = false;
    }

    void fetchDecisions_data() {
        QTest::addColumn<QStringList>("tokens");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("sentTokens");
        const QStringList none, noToken{""}, a{"A"};
        const QString denied = UsageService::noTokenMessage(-25293), absent = UsageService::noTokenMessage(0);
        // clang-format off
        QTest::newRow("no credentials") << noToken << -25300 << none << UsageService::noTokenMessage(-25300) << none;
        QTest::newRow("read refused") << noToken << -25293 << none << denied << none;
        QTest::newRow("keyring locked") << noToken << -25308 << none << denied << none;
        QTest::newRow("interaction required") << noToken << -25315 << none << denied << none;
        QTest::newRow("credentials without token") << noToken << 0 << none << absent << none;
        QTest::newRow("no secret service") << noToken << -25291 << none << absent << none;
        QTest::newRow("success") << a << 0 << QStringList{"200"} << QString() << a;
        QTest::newRow("rate limited") << a << 0 << QStringList{"429"} << rateLimit << a;
        QTest::newRow("other failure") << a << 0 << QStringList{"500"} << generic + "HTTP 500: boom" << a;
        QTest::newRow("401, same token") << QStringList{"A", "A"} << 0 << QStringList{"401"} << expired << a;
        QTest::newRow("401, then none") << QStringList{"A", ""} << 0 << QStringList{"401"} << expired << a;
        QTest::newRow("401, new token limited") << QStringList{"A", "B"} << 0 << QStringList{"401", "429"} << expired
                                                << QStringList{"A", "B"};
        QTest::newRow("401, new token works") << QStringList{"A", "B"} << 0 << QStringList{"401", "200"} << QString()
                                              << QStringList{"A", "B"};
        // clang-format on
    }

    void fetchDecisions() {
        QFETCH(QStringList, tokens);
        QFETCH(int, status);
        QFETCH(QStringList, codes);
        QFETCH(QString, error);
        QFETCH(QStringList, sentTokens);
        reads = tokens, readStatus = status, answers = codes;
        const auto service = scripted();
        service->fetch(false);
        QTRY_VERIFY(!service->errorMessage().isNull() || service->lastUpdated().isValid());
        QCOMPARE(service->errorMessage(), error);
        QCOMPARE(sent, sentTokens);
        QCOMPARE(service->lastKeychainStatus(), status);
        // A failure keeps the last figures; a success replaces only the windows it carries.
        QCOMPARE(service->sessionLeft(), error.isNull() ? 58.0 : 55.0);
        QCOMPARE(service->weeklyLeft(), 90.0);
    }

    void cachedTokenAndLifecycle() {
        reads = {"A", "B"}, answers = {"200", "200", "200", "200"};
        const auto service = scripted();
        service->start();
        QVERIFY(service->isRunning());
        service->fetch(false); // reuses the token of the first fetch once it is cached
        QTRY_COMPARE(sent.size(), 2);
        service->fetch(true); // reads the sources again
        QTRY_COMPARE(sent, (QStringList{"A", "A", "B"}));
        QTRY_VERIFY(service->lastUpdated().isValid());
        holding = true; // a fetch under way when stopped still applies its outcome
        service->fetch(false);
        service->stop();
        QVERIFY(!service->isRunning());
        service->clearManualToken();
        QVERIFY(!service->sessionLeft() && service->lastUpdated().isValid() &&
                service->errorMessage().isNull());
        for (const auto& deliver : held)
            deliver();
        QTRY_COMPARE(service->sessionLeft(), 58.0);
    }

    void failedSaveIsReportedAndLoggedWithoutToken() {
        QTemporaryDir logDir;
        Diagnostics::setLogFilePathForTesting(logDir.filePath(QStringLiteral("tavimor.log")));
        Diagnostics::setSystemLogSinkForTesting({});
        const auto service = scripted();
        store->forcedStatus.insert(QStringLiteral("add"), SecretStatus::authFailed);
        std::optional<std::optional<KeychainError>> outcome;
        service->saveManualToken(QStringLiteral("secret-token"), [&](auto error) { outcome = error; });
        QTRY_VERIFY(outcome.has_value());
        QCOMPARE(outcome->value_or(KeychainError{}).status, SecretStatus::authFailed);
        QTRY_VERIFY(!service->errorMessage().isNull()); // the fetch still runs
        Diagnostics::flush();
        QFile log(logDir.filePath(QStringLiteral("tavimor.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray logged = log.readAll();
        QVERIFY(logged.contains("[WARN]") && logged.contains("-25293") && !logged.contains("secret-token"));
        store->forcedStatus.clear();
        service->saveManualToken(QStringLiteral("secret-token"));
        QTRY_VERIFY(service->hasManualToken());
        service->clearManualToken();
        QTRY_VERIFY(!service->hasManualToken());
        Diagnostics::setLogFilePathForTesting({});
    }

    // The real endpoint client against a loopback server: every hostile answer ends as the right text, and
    // the token is only ever sent, trimmed, to the endpoint's own origin. An error ending in "…" is a prefix.
    void loopbackEndpoint_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("error");
        QTest::addColumn<double>("sessionLeft");
        const auto reply = [](int status, const QByteArray& body, const QByteArray& headers = {}) {
            return LoopbackHttpServer::reply(status, body, headers);
        };
        const QByteArray html = "<html>" + QByteArray(300, 'x') + "</html>";
        // clang-format off
        QTest::newRow("wrong types") << reply(200, R"({"five_hour": null, "seven_day": {"utilization": "4"}})")
                                     << "tok" << QString() << 100.0;
        QTest::newRow("top-level scalar") << reply(200, "42") << "tok" << QString() << -1.0;
        QTest::newRow("negative use") << reply(200, R"({"five_hour": {"utilization": -5}})") << "tok" << QString() << 105.0;
        QTest::newRow("token trimmed of CR/LF") << reply(200, "[]") << " tok\r\n" << QString() << -1.0;
        QTest::newRow("invalid UTF-8") << reply(200, "{\"a\": \"\xff\"}") << "tok" << anyCause << -1.0;
        QTest::newRow("empty 204") << reply(204, "") << "tok" << anyCause << -1.0;
        QTest::newRow("many megabytes") << reply(200, QByteArray(5 << 20, ' ')) << "tok" << anyCause << -1.0;
        QTest::newRow("401") << reply(401, "{}") << "tok" << expired << -1.0;
        QTest::newRow("403") << reply(403, "denied") << "tok" << generic + "HTTP 403: denied" << -1.0;
        QTest::newRow("429") << reply(429, "") << "tok" << rateLimit << -1.0;
        QTest::newRow("429 retry_after") << reply(429, "{\"retry_after\": 30}", "Retry-After: 30\r\n") << "tok"
                                         << rateLimit << -1.0;
        QTest::newRow("500 long HTML") << reply(500, html) << "tok" << generic + "HTTP 500: " + html.left(120) << -1.0;
        QTest::newRow("500 invalid UTF-8") << reply(500, "\xff\xfe") << "tok" << generic + "HTTP 500: " << -1.0;
        QTest::newRow("redirect to another origin") << QByteArray("redirect") << "tok" << anyCause << -1.0;
        QTest::newRow("silence") << QByteArray("silence") << "tok" << anyCause << -1.0;
        QTest::newRow("refused port") << QByteArray("refused") << "tok" << anyCause << -1.0;
        QTest::newRow("control character") << reply(200, "{}") << "a\r\nX-Evil: 1" << generic + "o token…" << -1.0;
        // clang-format on
    }

    void loopbackEndpoint() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, token);
        QFETCH(QString, error);
        QFETCH(double, sessionLeft);
        LoopbackHttpServer server, elsewhere;
        elsewhere.answer = LoopbackHttpServer::reply(200, R"({"five_hour": {"utilization": 1}})");
        server.answer = answer == "redirect"
                            ? "HTTP/1.1 302 Found\r\nLocation: " + elsewhere.url().toEncoded() +
                                  "\r\nContent-Length: 0\r\n\r\n"
                            : answer;
        server.silent = answer == "silence";
        QUrl base = server.url();
        if (answer == "refused")
            base.setPort(1);
        UsageEndpointClient endpoint(base, nullptr, 500);
        UsageServiceParts parts;
        parts.readToken = [&](QObject*, auto done) { done(TokenRead{token, 0}); };
        parts.callUsageAPI = [&](const QString& t, QObject* context, auto done) {
            endpoint.fetch(t, context, done);
        };
        UsageService service(parts);
        service.fetch(false);
        QTRY_VERIFY(!service.errorMessage().isNull() || service.lastUpdated().isValid());
        const QString shown = service.errorMessage();
        QVERIFY2(error.endsWith(u'…') ? shown.startsWith(error.chopped(1)) : shown == error,
                 qPrintable(shown));
        QCOMPARE(service.sessionLeft().value_or(-1), sessionLeft);
        QVERIFY(elsewhere.requests.isEmpty());
        QCOMPARE(server.requests.isEmpty(), token.contains(u"X-Evil") || answer == "refused");
        for (const QByteArray& request : server.requests) {
            QVERIFY(request.startsWith("GET /api/oauth/usage HTTP/1.1\r\n"));
            for (const char* header :
                 {"\nAuthorization: Bearer tok\r", "\nAccept: application/json\r",
                  "\nanthropic-beta: oauth-2025-04-20\r", "\nUser-Agent: claude-code/2.1.69\r"})
                QVERIFY2((request + "\r\n").contains(header), request.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestUsageService)
#include "tst_UsageService.moc"
