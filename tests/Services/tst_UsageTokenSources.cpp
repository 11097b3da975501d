#include "FakeSecretStore.h"
#include "Models/UsageResponse.h"
#include "Services/KeychainService.h"
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
} // namespace

class TestUsageTokenSources : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    std::shared_ptr<FakeSecretStore> store;

    QString filePath() const { return home.filePath(QStringLiteral(".credentials.json")); }

    void writeFile(const QByteArray& content) {
        QFile file(filePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(content) == content.size());
    }

private Q_SLOTS:
    void init() {
        QFile::remove(filePath());
        qputenv("CLAUDE_CONFIG_DIR", home.path().toLocal8Bit());
        store = std::make_shared<FakeSecretStore>();
        KeychainService::setStore(store);
    }

    void extraction() {
        const QByteArray json = credentials("\"tok\"");
        const std::pair<QByteArray, const char*> rows[] = {
            // clang-format off
            {json, "tok"}, {credentials("\"\""), ""}, {credentials("42"), nullptr},
            {"0x" + json.toHex() + "\r\n", "tok"}, {"0X" + json.toHex().toUpper(), "tok"},
            {json.toHex().chopped(1), nullptr}, {"0x", nullptr}, {"+7" + json.toHex().mid(2), nullptr},
            {"\xff\xfe", nullptr}, {"[{\"claudeAiOauth\": {\"accessToken\": \"t\"}}]", nullptr}, {"token=t", nullptr},
            // clang-format on
        };
        for (const auto& [data, token] : rows)
            QVERIFY2(extractAccessToken(data) ==
                         (token ? std::optional(QString::fromLatin1(token)) : std::nullopt),
                     data.constData());
    }

    // The credentials file gives data only as a small regular file; nothing else ever blocks the read.
    void credentialsFile() {
        const QByteArray path = QFile::encodeName(filePath());
        const std::function<void()> make[] = {
            [] {},
            [&] { writeFile(credentials("\"tok\"")); },
            [&] { QCOMPARE(::mkfifo(path, 0600), 0); },
            [&] { QVERIFY(QFile::link(QStringLiteral("/dev/zero"), filePath())); },
            [&] { writeFile(QByteArray(maxCredentialsFileBytes + 1, ' ') + credentials("\"tok\"")); },
            [&] { QVERIFY(QDir(home.path()).mkdir(QStringLiteral(".credentials.json"))); }};
        const std::pair<qint32, bool> expected[] = {{-25300, false}, {0, true},  {0, false},
                                                    {0, false},      {0, false}, {0, false}};
        for (int i = 0; i < 6; ++i) {
            make[i]();
            const SecretLookup found = readCredentialsFile(credentialsFilePath());
            QCOMPARE(std::pair(found.status, found.secret.has_value()), expected[i]);
            QFile::remove(filePath()) || QDir(home.path()).rmdir(QStringLiteral(".credentials.json"));
        }
    }

    void order_data() {
        QTest::addColumn<QByteArray>("file");    // empty: no file
        QTest::addColumn<QByteArray>("keyring"); // empty: no item
        QTest::addColumn<int>("keyringStatus");  // forced lookup status; 0: as stored
        QTest::addColumn<QString>("manual");     // null: no item
        QTest::addColumn<QString>("token");
        QTest::addColumn<int>("status");
        const QByteArray file = credentials("\"F\""), keyring = credentials("\"K\"").toHex(), none;
        // clang-format off
        QTest::newRow("file first") << file << keyring << 0 << "M" << "F" << 0;
        QTest::newRow("keyring next") << none << keyring << 0 << "M" << "K" << 0;
        QTest::newRow("pasted token last") << none << none << 0 << "M" << "M" << -25300;
        QTest::newRow("file without token") << credentials("\"\"") << none << 0 << "M" << "M" << 0;
        QTest::newRow("keyring locked") << none << none << -25308 << QString() << QString() << -25308;
        QTest::newRow("empty pasted token") << none << none << 0 << "" << QString() << -25300;
        QTest::newRow("file of odd hex") << QByteArray("abc") << none << 0 << QString() << QString() << 0;
        // clang-format on
    }

    void order() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, keyring);
        QFETCH(int, keyringStatus);
        QFETCH(QString, manual);
        QFETCH(QString, token);
        QFETCH(int, status);
        if (!file.isEmpty())
            writeFile(file);
        if (!keyring.isEmpty())
            store->items.insert({assistantService, QStringLiteral("someone")}, {keyring, {}});
        if (!manual.isNull())
            store->items.insert({KeychainService::serviceName, manualTokenKey}, {manual.toUtf8(), {}});
        if (keyringStatus != 0)
            store->forcedStatus.insert(QStringLiteral("lookup"), keyringStatus);
        std::optional<TokenRead> found;
        read(this, [&](const TokenRead& result) { found = result; });
        QTRY_VERIFY(found.has_value());
        QCOMPARE(found->token.value_or(QString()), token);
        QCOMPARE(found->status, status);
    }

    // Seeded random inputs, mostly mutations of well-formed ones: neither reader may crash or trip a
    // sanitizer.
    void fuzzReaders() {
        const qint64 iterations = std::max(qEnvironmentVariableIntValue("TAVIMOR_FUZZ_ITERATIONS"), 20000);
        const QByteArray json = credentials("\"tok\"");
        const QList<QByteArray> seeds{
            json, "0x" + json.toHex() + "\n", "[[[[[[[[[[{}]]]]]]]]]]", "\"\\ud800\"",
            R"({"five_hour": {"utilization": 42.5, "resets_at": "2025-06-01T10:00:00Z"},
                                          "seven_day": null, "extra_usage": {"used_credits": 1e308}})"};
        QRandomGenerator random(20261206);
        qint64 readable = 0;
        for (qint64 i = 0; i < iterations; ++i) {
            QByteArray input = seeds[random.bounded(seeds.size())];
            for (int edits = random.bounded(1, 8); edits > 0 && !input.isEmpty(); --edits) {
                const int at = random.bounded(input.size()), kind = random.bounded(4);
                if (kind == 0)
                    input[at] = char(random.bounded(256));
                else if (kind == 1)
                    input.insert(at, char(random.bounded(256)));
                else if (kind == 2)
                    input.remove(at, random.bounded(1, 16));
                else
                    input.insert(at, input.mid(random.bounded(input.size()), random.bounded(1, 32)));
            }
            readable += decodeUsageResponse(input).has_value() + extractAccessToken(input).has_value();
        }
        qInfo("fuzzed %lld inputs, %lld read as JSON or a token", iterations, readable);
    }
};

QTEST_GUILESS_MAIN(TestUsageTokenSources)
#include "tst_UsageTokenSources.moc"
