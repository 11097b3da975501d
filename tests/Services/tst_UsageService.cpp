#include "FakeSecretStore.h"
#include "LoopbackHttpServer.h"
#include "Models/UsageArithmetic.h"
#include "Models/UsageResponse.h"
#include "Services/KeychainService.h"
#include "Services/UsageService.h"
#include "Services/UsageTokenSources.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace UsageTokenSources;

namespace {
QByteArray credentials(const char* token) {
    return QByteArray(R"({"claudeAiOauth": {"accessToken": )") + token + R"(, "expiresAt": 1}, "x": [1]})";
}
const QString expired = QStringLiteral("Sessão expirada. Abra o Claude Code para reautenticar.");
const QString rateLimit =
    QStringLiteral("Limite de requisições atingido. Aguarde alguns instantes e atualize novamente.");
const QString generic = QStringLiteral("Erro ao buscar uso: "), anyCause = generic + u'…';
QByteArray reply(int status, const QByteArray& body = "{}", const QByteArray& headers = {}) {
    return LoopbackHttpServer::reply(status, body, headers);
}
} // namespace

// Where the usage token comes from, and what the usage service makes of each token read and of each answer
// of a loopback endpoint; the token only ever reaches the endpoint's origin.
class UsageServiceTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    std::shared_ptr<FakeSecretStore> store;
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
        service->applyResponse({UsagePeriod{45, {}}, UsagePeriod{10, {}}, {}});
        return service;
    }

    QString filePath() const { return home.filePath(QStringLiteral(".credentials.json")); }

private Q_SLOTS:
    void init() {
        QFile::remove(filePath());
        qputenv("CLAUDE_CONFIG_DIR", home.path().toLocal8Bit());
        store = std::make_shared<FakeSecretStore>();
        KeychainService::setStore(store);
        server.requests.clear(), elsewhere.requests.clear();
        readsDone = 0;
    }

    // The credentials file (JSON or its hex text; only a small regular file, never blocking), then the
    // assistant's keyring item, then the pasted token; the status is the assistant's keyring lookup's.
    void sources() {
        const QByteArray json = credentials("\"F\""), keyring = credentials("\"K\"").toHex();
        const struct {
            QByteArray file, keyring; // empty: none
            qint32 keyringStatus;
            const char *manual, *token; // null: none
            qint32 status;
        } rows[] = {
            // clang-format off
            {json, keyring, 0, "M", "F", 0}, {{}, keyring, 0, "M", "K", 0}, {{}, {}, 0, "M", "M", -25300},
            {credentials("\"\""), {}, 0, "M", "M", 0}, {{}, {}, -25308, nullptr, nullptr, -25308},
            {{}, {}, 0, "", nullptr, -25300}, {"abc", {}, 0, nullptr, nullptr, 0},
            {"0x" + json.toHex() + "\r\n", {}, 0, nullptr, "F", 0}, {"0X" + json.toHex().toUpper(), {}, 0, nullptr, "F", 0},
            {"+7" + json.toHex().mid(2), {}, 0, nullptr, nullptr, 0}, {credentials("42"), {}, 0, nullptr, nullptr, 0},
            {"\xff\xfe", {}, 0, nullptr, nullptr, 0}, {"[" + json + "]", {}, 0, nullptr, nullptr, 0},
            {"<fifo>", {}, 0, nullptr, nullptr, 0}, {"<zero>", {}, 0, nullptr, nullptr, 0},
            {"<huge>", {}, 0, nullptr, nullptr, 0},
            // clang-format on
        };
        for (const auto& row : rows) {
            init();
            if (row.file == "<fifo>")
                QCOMPARE(::mkfifo(QFile::encodeName(filePath()), 0600), 0);
            else if (row.file == "<zero>")
                QVERIFY(QFile::link(QStringLiteral("/dev/zero"), filePath()));
            else if (!row.file.isEmpty()) {
                QFile file(filePath());
                const QByteArray content =
                    row.file == "<huge>" ? QByteArray(maxCredentialsFileBytes, ' ') + json : row.file;
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
            }
            if (!row.keyring.isEmpty())
                store->items.insert({assistantService, QStringLiteral("someone")}, {row.keyring, {}});
            if (row.manual)
                store->items.insert({KeychainService::serviceName, manualTokenKey}, {row.manual, {}});
            if (row.keyringStatus != 0)
                store->forcedStatus.insert(QStringLiteral("lookup"), row.keyringStatus);
            std::optional<TokenRead> found;
            read(this, [&](const TokenRead& result) { found = result; });
            QTRY_VERIFY(found.has_value());
            QCOMPARE(found->token, row.token ? std::optional(QString::fromLatin1(row.token)) : std::nullopt);
            QCOMPARE(found->status, row.status);
        }
    }

    // Seeded random inputs, mostly mutations of well-formed ones: neither reader may crash or trip a
    // sanitizer.
    void fuzzReaders() {
        const qint64 iterations = std::max(qEnvironmentVariableIntValue("TAVIMOR_FUZZ_ITERATIONS"), 20000);
        const QByteArray json = credentials("\"tok\"");
        const QList<QByteArray> starts{
            json,
            "0x" + json.toHex() + "\n",
            "[[[[[[[[[[{}]]]]]]]]]]",
            "\"\\ud800\"",
            R"({"five_hour": {"utilization": 42.5, "resets_at": "2025-06-01T10:00:00Z"},
                                          "seven_day": null, "extra_usage": {"used_credits": 1e308}})",
            "2025-06-01T10:00:00.5+02:00"};
        QRandomGenerator random(20261206);
        qint64 readable = 0;
        for (qint64 i = 0; i < iterations; ++i) {
            QByteArray input = starts[random.bounded(starts.size())];
            for (int edits = random.bounded(1, 8); edits > 0 && !input.isEmpty(); --edits) {
                const int at = random.bounded(input.size()), length = random.bounded(-16, 32);
                if (length < 0)
                    input.remove(at, -length);
                else if (length < 8)
                    input[at] = char(random.bounded(256));
                else
                    input.insert(at, input.mid(random.bounded(input.size()), length));
            }
            readable += decodeUsageResponse(input).has_value() + extractAccessToken(input).has_value() +
                        UsageArithmetic::parseResetTime(QString::fromUtf8(input.right(40))).has_value();
        }
        qInfo("fuzzed %lld inputs, %lld read as JSON, a token or a date", iterations, readable);
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

    // The Sonnet window is kept like the others and cleared with them when the pasted token is removed.
    // The pay-as-you-go block is read leniently: any value under its key gives a block, wrong types read as
    // off and absent. An invalid QVariant stands for an absent figure.
    void extraUsageDecoding_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QVariant>("used");
        QTest::addColumn<QVariant>("limit");
        const QVariant none;
        // clang-format off
        QTest::newRow("absent") << QByteArray(R"({"five_hour": {"utilization": 1}})") << false << false << none << none;
        QTest::newRow("whole") << QByteArray(R"({"extra_usage": {"is_enabled": true, "used_credits": 12.5, "monthly_limit": 100}})")
                               << true << true << QVariant(12.5) << QVariant(100.0);
        QTest::newRow("integers, negative") << QByteArray(R"({"extra_usage": {"is_enabled": false, "used_credits": 7, "monthly_limit": -3}})")
                                            << true << false << QVariant(7.0) << QVariant(-3.0);
        QTest::newRow("null") << QByteArray(R"({"extra_usage": null})") << true << false << none << none;
        QTest::newRow("array") << QByteArray(R"({"extra_usage": [true, 1, 2]})") << true << false << none << none;
        QTest::newRow("number") << QByteArray(R"({"extra_usage": 5})") << true << false << none << none;
        QTest::newRow("texts") << QByteArray(R"({"extra_usage": {"is_enabled": "true", "used_credits": "12", "monthly_limit": "1e9"}})")
                               << true << false << none << none;
        QTest::newRow("numbers for a flag, objects for figures")
            << QByteArray(R"({"extra_usage": {"is_enabled": 1, "used_credits": {"value": 3}, "monthly_limit": [4]}})")
            << true << false << none << none;
        QTest::newRow("inside a top-level array") << QByteArray(R"([{"extra_usage": {"is_enabled": true}}])")
                                                  << false << false << none << none;
        // clang-format on
    }

    void extraUsageDecoding() {
        QFETCH(QByteArray, body);
        QFETCH(bool, present);
        QFETCH(bool, enabled);
        QFETCH(QVariant, used);
        QFETCH(QVariant, limit);
        const std::optional<UsageResponse> response = decodeUsageResponse(body);
        QVERIFY(response);
        QCOMPARE(response->extraUsage.has_value(), present);
        const ExtraUsage extra = response->extraUsage.value_or(ExtraUsage{});
        QCOMPARE(extra.isEnabled, enabled);
        const auto variant = [](std::optional<double> figure) {
            return figure ? QVariant(*figure) : QVariant();
        };
        QCOMPARE(variant(extra.usedCredits), used);
        QCOMPARE(variant(extra.monthlyLimit), limit);
    }

    void sonnetWindow() {
        UsageEndpointClient endpoint(server.url());
        const auto service = makeService(endpoint);
        service->applyResponse(*decodeUsageResponse(R"({"seven_day_sonnet": {"utilization": 30}})"));
        QCOMPARE(service->sonnetLeft(), 70.0);
        QCOMPARE(service->sessionLeft(), 55.0);
        service->applyResponse(*decodeUsageResponse(R"({"five_hour": {"utilization": 20}})"));
        QCOMPARE(service->sonnetLeft(), 70.0);
        service->clearManualToken();
        QCOMPARE(service->sonnetLeft(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(UsageServiceTest)
#include "tst_UsageService.moc"
