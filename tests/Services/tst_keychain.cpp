#include "FakeSecretStore.h"
#include "Services/DiagnosticsService.h"
#include "Services/KeychainService.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Kind = KeychainError::Kind;
using Status = std::optional<qint32>;
using Text = std::optional<QString>;

class TestKeychain : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeSecretStore> store;

    FakeSecretStore::Item storedItem(const QString& account) const {
        return store->items.value({u"com.dravo.tavimor"_s, account});
    }

private Q_SLOTS:
    void init() { KeychainService::setStore(store = std::make_shared<FakeSecretStore>()); }
    void cleanup() { KeychainService::setStore(store = nullptr); }

    // First: the record is made once per process.
    void missingSecretServiceIsRecordedOnce() {
        QTemporaryDir logDir;
        const QString logPath = logDir.filePath(u"tavimor.log"_s);
        Diagnostics::setLogFilePathForTesting(logPath);
        Diagnostics::setSystemLogSinkForTesting({});
        store->forcedStatus = {{u"lookup"_s, SecretStatus::notAvailable},
                               {u"add"_s, SecretStatus::notAvailable}};

        QCOMPARE(KeychainService::load(u"todoist_token"_s), std::nullopt);
        QVERIFY(KeychainService::save(u"todoist_token"_s, u"t"_s).has_value());
        Diagnostics::flush();
        Diagnostics::setLogFilePathForTesting({});
        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()).count(u"[WARN] [Secret Service] indisponível"_s), 1);
    }

    void saveCreatesThenUpdatesOneLabelledItem() {
        store->items.insert({u"com.dravo.tavimor"_s, u"other"_s}, {"kept", u"set by hand"_s});
        QCOMPARE(KeychainService::save(u"todoist_token"_s, u"abc123"_s), std::nullopt);
        QCOMPARE(KeychainService::save(u"todoist_token"_s, u"new"_s), std::nullopt);

        QCOMPARE(store->operations, (QStringList{u"add"_s, u"add"_s, u"update"_s}));
        QCOMPARE(store->items.size(), 2);
        QCOMPARE(storedItem(u"todoist_token"_s).secret, QByteArray("new"));
        QCOMPARE(storedItem(u"todoist_token"_s).label, u"Tavimor (todoist_token)"_s);
        QCOMPARE(storedItem(u"other"_s).secret, QByteArray("kept"));
    }

    void saveReportsTheFailingStatus_data() {
        QTest::addColumn<qint32>("addStatus");
        QTest::addColumn<Status>("updateStatus");
        QTest::addColumn<qint32>("reported");
        QTest::newRow("add locked") << SecretStatus::interactionNotAllowed << Status()
                                    << SecretStatus::interactionNotAllowed;
        QTest::newRow("duplicate, update refused")
            << SecretStatus::duplicateItem << Status(SecretStatus::authFailed) << SecretStatus::authFailed;
        QTest::newRow("duplicate vanished before update")
            << SecretStatus::duplicateItem << Status(SecretStatus::itemNotFound)
            << SecretStatus::itemNotFound;
    }

    void saveReportsTheFailingStatus() {
        QFETCH(qint32, addStatus);
        QFETCH(Status, updateStatus);
        QFETCH(qint32, reported);
        store->forcedStatus.insert(u"add"_s, addStatus);
        if (updateStatus)
            store->forcedStatus.insert(u"update"_s, *updateStatus);

        QCOMPARE(KeychainService::save(u"k"_s, u"v"_s), (KeychainError{Kind::saveFailed, reported}));
        QCOMPARE(store->operations.size(), updateStatus ? 2 : 1);
    }

    void loadReadsFailuresAsAbsent_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<Status>("lookupStatus");
        QTest::addColumn<Text>("expected");
        QTest::newRow("empty") << QByteArray() << Status() << Text(QString());
        QTest::newRow("stray byte") << QByteArray("ab\xff") << Status() << Text();
        QTest::newRow("truncated sequence") << QByteArray("abc\xc3") << Status() << Text();
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << Status() << Text();
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << Status() << Text();
        QTest::newRow("locked") << QByteArray("token") << Status(SecretStatus::interactionNotAllowed)
                                << Text();
    }

    void loadReadsFailuresAsAbsent() {
        QFETCH(QByteArray, stored);
        QFETCH(Status, lookupStatus);
        QFETCH(Text, expected);
        store->items.insert({u"com.dravo.tavimor"_s, u"k"_s}, {stored, {}});
        if (lookupStatus)
            store->forcedStatus.insert(u"lookup"_s, *lookupStatus);
        QCOMPARE(KeychainService::load(u"k"_s), expected);
    }

    void textRoundTripsByteForByte() {
        const QString value = QChar(0xFEFF) + QString::fromUtf8("tok\xc3\xa9n\xf0\x9f\x94\x91 ") + QChar(0);
        QCOMPARE(KeychainService::save(u"k"_s, value), std::nullopt);
        QCOMPARE(storedItem(u"k"_s).secret, value.toUtf8());
        QCOMPARE(KeychainService::load(u"k"_s), value);
    }

    void removeIsSilent() {
        store->forcedStatus.insert(u"remove"_s, SecretStatus::notAvailable);
        KeychainService::remove(u"never_saved"_s);
        store->forcedStatus.clear();
        QCOMPARE(KeychainService::save(u"k"_s, u"v"_s), std::nullopt);
        KeychainService::remove(u"k"_s);
        QCOMPARE(KeychainService::load(u"k"_s), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestKeychain)
#include "tst_keychain.moc"
