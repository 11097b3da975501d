#include "FakeSecretStore.h"
#include "Services/DiagnosticsService.h"
#include "Services/KeychainService.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Kind = KeychainError::Kind;

class TestKeychain : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<FakeSecretStore> store;

    FakeSecretStore::Item storedItem(const QString& account) const {
        return store->items.value({QStringLiteral("com.dravo.tavimor"), account});
    }

private Q_SLOTS:
    void init() {
        store = std::make_shared<FakeSecretStore>();
        KeychainService::setStore(store);
    }

    void cleanup() { KeychainService::setStore(store = nullptr); }

    // First: the record is made once per process.
    void missingSecretServiceIsRecordedOnce() {
        QTemporaryDir logDir;
        const QString logPath = logDir.filePath(QStringLiteral("tavimor.log"));
        Diagnostics::setLogFilePathForTesting(logPath);
        Diagnostics::setSystemLogSinkForTesting({});
        store->forcedStatus.insert(QStringLiteral("lookup"), SecretStatus::notAvailable);
        store->forcedStatus.insert(QStringLiteral("add"), SecretStatus::notAvailable);

        QCOMPARE(KeychainService::load(QStringLiteral("todoist_token")), std::nullopt);
        QVERIFY(KeychainService::save(QStringLiteral("todoist_token"), QStringLiteral("t")).has_value());
        Diagnostics::flush();
        Diagnostics::setLogFilePathForTesting({});

        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QCOMPARE(text.count(QStringLiteral("[WARN] [Secret Service] indisponível")), 1);
    }

    void saveCreatesOneLabelledItem() {
        QCOMPARE(KeychainService::save(QStringLiteral("todoist_token"), QStringLiteral("abc123")),
                 std::nullopt);

        QCOMPARE(store->operations(), QStringList{QStringLiteral("add")});
        const FakeSecretStore::Call& add = store->calls.first();
        QCOMPARE(add.service, QStringLiteral("com.dravo.tavimor"));
        QCOMPARE(add.account, QStringLiteral("todoist_token"));
        QCOMPARE(add.secret, QByteArray("abc123"));
        QCOMPARE(add.label, QStringLiteral("Tavimor (todoist_token)"));
        QCOMPARE(store->items.size(), 1);
        QCOMPARE(KeychainService::load(QStringLiteral("todoist_token")), QStringLiteral("abc123"));
    }

    void saveOverExistingItemUpdatesIt() {
        store->items.insert({QStringLiteral("com.dravo.tavimor"), QStringLiteral("todoist_token")},
                            {QByteArray("old"), QStringLiteral("set by hand")});

        QCOMPARE(KeychainService::save(QStringLiteral("todoist_token"), QStringLiteral("new")), std::nullopt);

        QCOMPARE(store->operations(), (QStringList{QStringLiteral("add"), QStringLiteral("update")}));
        QCOMPARE(store->items.size(), 1);
        QCOMPARE(storedItem(QStringLiteral("todoist_token")).secret, QByteArray("new"));
        QCOMPARE(storedItem(QStringLiteral("todoist_token")).label,
                 QStringLiteral("Tavimor (todoist_token)"));
    }

    void saveReportsTheFailingStatus_data() {
        QTest::addColumn<qint32>("addStatus");
        QTest::addColumn<std::optional<qint32>>("updateStatus");
        QTest::addColumn<QStringList>("expectedCalls");
        QTest::addColumn<qint32>("reported");

        const QStringList addOnly{QStringLiteral("add")};
        const QStringList addThenUpdate{QStringLiteral("add"), QStringLiteral("update")};
        QTest::newRow("add locked") << SecretStatus::interactionNotAllowed << std::optional<qint32>()
                                    << addOnly << SecretStatus::interactionNotAllowed;
        QTest::newRow("add refused") << SecretStatus::authFailed << std::optional<qint32>() << addOnly
                                     << SecretStatus::authFailed;
        QTest::newRow("no store") << SecretStatus::notAvailable << std::optional<qint32>() << addOnly
                                  << SecretStatus::notAvailable;
        QTest::newRow("duplicate, update refused")
            << SecretStatus::duplicateItem << std::optional<qint32>(SecretStatus::authFailed) << addThenUpdate
            << SecretStatus::authFailed;
        QTest::newRow("duplicate vanished before update")
            << SecretStatus::duplicateItem << std::optional<qint32>(SecretStatus::itemNotFound)
            << addThenUpdate << SecretStatus::itemNotFound;
    }

    void saveReportsTheFailingStatus() {
        QFETCH(qint32, addStatus);
        QFETCH(std::optional<qint32>, updateStatus);
        QFETCH(QStringList, expectedCalls);
        QFETCH(qint32, reported);
        store->forcedStatus.insert(QStringLiteral("add"), addStatus);
        if (updateStatus)
            store->forcedStatus.insert(QStringLiteral("update"), *updateStatus);

        const std::optional<KeychainError> error =
            KeychainService::save(QStringLiteral("k"), QStringLiteral("v"));

        QCOMPARE(error, (KeychainError{Kind::saveFailed, reported}));
        QCOMPARE(store->operations(), expectedCalls);
    }

    void loadReadsFailuresAsAbsent_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<std::optional<qint32>>("lookupStatus");
        QTest::addColumn<std::optional<QString>>("expected");

        const std::optional<qint32> normal;
        QTest::newRow("plain") << QByteArray("token") << normal
                               << std::optional<QString>(QStringLiteral("token"));
        QTest::newRow("empty") << QByteArray() << normal << std::optional<QString>(QString());
        QTest::newRow("non-ASCII") << QByteArray("\xc3\xa7\xc3\xa3\xe2\x82\xac\xf0\x9f\x98\x80") << normal
                                   << std::optional<QString>(QString::fromUtf8("çã€😀"));
        QTest::newRow("stray byte") << QByteArray("ab\xff") << normal << std::optional<QString>();
        QTest::newRow("truncated sequence") << QByteArray("abc\xc3") << normal << std::optional<QString>();
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << normal << std::optional<QString>();
        QTest::newRow("encoded surrogate")
            << QByteArray("\xed\xa0\x80") << normal << std::optional<QString>();
        QTest::newRow("locked") << QByteArray("token")
                                << std::optional<qint32>(SecretStatus::interactionNotAllowed)
                                << std::optional<QString>();
        QTest::newRow("no store") << QByteArray("token") << std::optional<qint32>(SecretStatus::notAvailable)
                                  << std::optional<QString>();
    }

    void loadReadsFailuresAsAbsent() {
        QFETCH(QByteArray, stored);
        QFETCH(std::optional<qint32>, lookupStatus);
        QFETCH(std::optional<QString>, expected);
        store->items.insert({QStringLiteral("com.dravo.tavimor"), QStringLiteral("k")}, {stored, {}});
        if (lookupStatus)
            store->forcedStatus.insert(QStringLiteral("lookup"), *lookupStatus);

        QCOMPARE(KeychainService::load(QStringLiteral("k")), expected);
    }

    void textRoundTripsByteForByte() {
        const QString value = QChar(0xFEFF) + QString::fromUtf8("tok\xc3\xa9n\xf0\x9f\x94\x91 ") + QChar(0);

        QCOMPARE(KeychainService::save(QStringLiteral("k"), value), std::nullopt);

        QCOMPARE(storedItem(QStringLiteral("k")).secret, value.toUtf8());
        QCOMPARE(KeychainService::load(QStringLiteral("k")), value);
    }

    void removeIsSilent() {
        KeychainService::remove(QStringLiteral("never_saved"));
        store->forcedStatus.insert(QStringLiteral("remove"), SecretStatus::notAvailable);
        KeychainService::remove(QStringLiteral("never_saved"));
        QCOMPARE(store->operations(), (QStringList{QStringLiteral("remove"), QStringLiteral("remove")}));

        store->forcedStatus.clear();
        QCOMPARE(KeychainService::save(QStringLiteral("k"), QStringLiteral("v")), std::nullopt);
        KeychainService::remove(QStringLiteral("k"));
        QCOMPARE(KeychainService::load(QStringLiteral("k")), std::nullopt);
    }

    void accountsAreIndependent() {
        QCOMPARE(KeychainService::save(QStringLiteral("todoist_token"), QStringLiteral("t")), std::nullopt);
        QCOMPARE(KeychainService::save(QStringLiteral("anthropic_oauth_token"), QStringLiteral("a")),
                 std::nullopt);
        QCOMPARE(KeychainService::save(QStringLiteral("todoist_token"), QStringLiteral("t2")), std::nullopt);
        KeychainService::remove(QStringLiteral("anthropic_oauth_token"));

        QCOMPARE(KeychainService::load(QStringLiteral("todoist_token")), QStringLiteral("t2"));
        QCOMPARE(KeychainService::load(QStringLiteral("anthropic_oauth_token")), std::nullopt);
        for (const FakeSecretStore::Call& call : std::as_const(store->calls))
            QCOMPARE(call.service, QStringLiteral("com.dravo.tavimor"));
    }

};

QTEST_GUILESS_MAIN(TestKeychain)
#include "tst_keychain.moc"
