#include "FakeSecretStore.h"
#include "Models/UsageArithmetic.h"
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
            else if (!row.file.isEmpty())
                writeFile(row.file == "<huge>" ? QByteArray(maxCredentialsFileBytes, ' ') + json : row.file);
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
};

QTEST_GUILESS_MAIN(TestUsageTokenSources)
#include "tst_UsageTokenSources.moc"
