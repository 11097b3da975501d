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
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    TokenRead readAll() {
        std::optional<TokenRead> result;
        read(this, [&](const TokenRead& found) { result = found; });
        [&] { QTRY_VERIFY(result.has_value()); }();
        return result.value_or(TokenRead{});
    }

private Q_SLOTS:
    void init() {
        QFile::remove(filePath());
        qputenv("CLAUDE_CONFIG_DIR", home.path().toLocal8Bit());
        store = std::make_shared<FakeSecretStore>();
        KeychainService::setStore(store);
    }

    void extraction_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("token"); // null: none
        const QByteArray json = credentials("\"tok\"");
        QTest::newRow("JSON") << json << "tok";
        QTest::newRow("empty token") << credentials("\"\"") << "";
        QTest::newRow("number") << credentials("42") << QString();
        QTest::newRow("hex, 0x and line break") << "0x" + json.toHex() + "\r\n"
                                                << "tok";
        QTest::newRow("hex, mixed case") << "0X" + json.toHex().toUpper() << "tok";
        QTest::newRow("hex of odd length") << json.toHex().chopped(1) << QString();
        QTest::newRow("hex of no JSON") << QByteArray("0x") << QString();
        QTest::newRow("hex with a sign") << "+7" + json.toHex().mid(2) << QString();
        QTest::newRow("invalid UTF-8") << QByteArray("\xff\xfe") << QString();
        QTest::newRow("array") << QByteArray("[{\"claudeAiOauth\": {\"accessToken\": \"t\"}}]") << QString();
        QTest::newRow("not JSON") << QByteArray("token=abc") << QString();
    }

    void extraction() {
        QFETCH(QByteArray, data);
        QFETCH(QString, token);
        const std::optional<QString> found = extractAccessToken(data);
        QCOMPARE(found.value_or(QString()), token);
        QCOMPARE(found.has_value(), !token.isNull());
    }

    // The credentials file gives a token only as a small regular file; nothing else ever blocks the read.
    void credentialsFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("hasData");
        QTest::newRow("absent") << "absent" << -25300 << false;
        QTest::newRow("regular") << "regular" << 0 << true;
        QTest::newRow("FIFO") << "fifo" << 0 << false;
        QTest::newRow("symlink to /dev/zero") << "zero" << 0 << false;
        QTest::newRow("huge") << "huge" << 0 << false;
        QTest::newRow("folder") << "folder" << 0 << false;
    }

    void credentialsFile() {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(bool, hasData);
        const QByteArray path = QFile::encodeName(filePath());
        if (kind == u"regular")
            writeFile(credentials("\"tok\""));
        else if (kind == u"huge")
            writeFile(QByteArray(maxCredentialsFileBytes + 1, ' ') + credentials("\"tok\""));
        else if (kind == u"fifo")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (kind == u"zero")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), filePath()));
        else if (kind == u"folder")
            QVERIFY(QDir(home.path()).mkdir(QStringLiteral(".credentials.json")));
        const SecretLookup found = readCredentialsFile(credentialsFilePath());
        QCOMPARE(found.status, status);
        QCOMPARE(found.secret.has_value(), hasData);
        QFile::remove(filePath());
        QDir(home.path()).rmdir(QStringLiteral(".credentials.json"));
    }

    void order_data() {
        QTest::addColumn<QByteArray>("file");    // empty: no file
        QTest::addColumn<QByteArray>("keyring"); // empty: no item
        QTest::addColumn<int>("keyringStatus");  // forced lookup status, 0: as stored
        QTest::addColumn<QString>("manual");     // null: no item
        QTest::addColumn<QString>("token");
        QTest::addColumn<int>("status");
        const QByteArray file = credentials("\"F\""), keyring = credentials("\"K\"").toHex(), none;
        QTest::newRow("file first") << file << keyring << 0 << "M"
                                    << "F" << 0;
        QTest::newRow("keyring next") << none << keyring << 0 << "M"
                                      << "K" << 0;
        QTest::newRow("pasted token last") << none << none << 0 << "M"
                                           << "M" << -25300;
        QTest::newRow("file without token") << credentials("\"\"") << none << 0 << "M"
                                            << "M" << 0;
        QTest::newRow("keyring locked") << none << none << -25308 << QString() << QString() << -25308;
        QTest::newRow("empty pasted token") << none << none << 0 << "" << QString() << -25300;
        QTest::newRow("file of odd hex") << QByteArray("abc") << none << 0 << QString() << QString() << 0;
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
        const TokenRead found = readAll();
        QCOMPARE(found.token.value_or(QString()), token);
        QCOMPARE(found.status, status);
    }

    // Inside tests/integration/test_usage_tokens.sh: the assistant's item in a real gnome-keyring, stored
    // there by secret-tool as hexadecimal text.
    void realKeyring() {
        if (qgetenv("TAVIMOR_USAGE_KEYRING_TEST") != "1")
            QSKIP("runs only inside tests/integration/test_usage_tokens.sh");
        KeychainService::setStore(nullptr);
        const TokenRead found = readAll();
        QCOMPARE(found.token.value_or(QString()), QStringLiteral("keyring-token"));
        QCOMPARE(found.status, 0);
    }

    // Seeded random inputs, mostly mutations of well-formed ones: neither reader may crash or trip a
    // sanitizer.
    void fuzzReaders() {
        const qint64 iterations = qEnvironmentVariableIsSet("TAVIMOR_FUZZ_ITERATIONS")
                                      ? qEnvironmentVariable("TAVIMOR_FUZZ_ITERATIONS").toLongLong()
                                      : 20000;
        const QByteArray json = credentials("\"tok\"");
        const QList<QByteArray> seeds{json, "0x" + json.toHex() + "\n", R"({"five_hour": {"utilization": 42.5,
            "resets_at": "2025-06-01T10:00:00.123Z"}, "seven_day": null, "extra_usage": {"used_credits": 1e308}})",
                                      "[[[[[[[[[[{}]]]]]]]]]]", "\"\\ud800\""};
        QRandomGenerator random(20261206);
        qint64 decoded = 0;
        for (qint64 i = 0; i < iterations; ++i) {
            QByteArray input = seeds[random.bounded(seeds.size())];
            for (int edits = random.bounded(1, 8); edits > 0 && !input.isEmpty(); --edits) {
                const int at = random.bounded(input.size());
                switch (random.bounded(4)) {
                case 0:
                    input[at] = char(random.bounded(256));
                    break;
                case 1:
                    input.insert(at, char(random.bounded(256)));
                    break;
                case 2:
                    input.remove(at, random.bounded(1, 16));
                    break;
                default:
                    input.insert(at, input.mid(random.bounded(input.size()), random.bounded(1, 32)));
                }
            }
            decoded += decodeUsageResponse(input).has_value() + extractAccessToken(input).has_value();
        }
        qInfo("fuzzed %lld inputs, %lld read as JSON or a token", iterations, decoded);
    }
};

QTEST_GUILESS_MAIN(TestUsageTokenSources)
#include "tst_UsageTokenSources.moc"
