#include "AnswerOf.h"
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
using SaveResult = std::optional<KeychainError>;

class TestKeychain : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeSecretStore> store;

    FakeSecretStore::Item storedItem(const QString& account) const {
        return store->items.value({u"com.dravo.tavimor"_s, account});
    }

    KeychainRead load(const QString& key) {
        return answerOf<KeychainRead>([&](auto done) { KeychainService::loadAsync(key, this, done); });
    }
    SaveResult save(const QString& key, const QString& value) {
        return answerOf<SaveResult>([&](auto done) { KeychainService::saveAsync(key, value, this, done); });
    }

private Q_SLOTS:
    void init() { KeychainService::setStore(store = std::make_shared<FakeSecretStore>()); }
    void cleanup() { KeychainService::setStore(store = nullptr); }

    // Each cause is recorded once per process, with its own words; a failed update is the save's failure.
    void failuresAreRecordedOncePerCause_data() {
        QTest::addColumn<qint32>("status");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no provider") << SecretStatus::notAvailable << u"nenhum provedor"_s;
        QTest::newRow("locked") << SecretStatus::interactionNotAllowed << u"está bloqueada"_s;
        QTest::newRow("denied") << SecretStatus::authFailed << u"foi negado"_s;
        QTest::newRow("no answer") << SecretStatus::timedOut << u"não respondeu a tempo"_s;
        QTest::newRow("vanished before the update") << SecretStatus::itemNotFound << QString();
    }

    void failuresAreRecordedOncePerCause() {
        QFETCH(qint32, status);
        QFETCH(QString, reason);
        QTemporaryDir logDir;
        const QString logPath = logDir.filePath(u"tavimor.log"_s);
        Diagnostics::setLogFilePathForTesting(logPath);
        Diagnostics::setSystemLogSinkForTesting({});
        // The item exists, so the save's add finds a duplicate and the update fails with the cause.
        store->items.insert({u"com.dravo.tavimor"_s, u"todoist_token"_s}, {"old", {}});
        store->forcedStatus = {{u"lookup"_s, status}, {u"update"_s, status}};

        QCOMPARE(load(u"todoist_token"_s).status, status);
        QCOMPARE(save(u"todoist_token"_s, u"t"_s), (KeychainError{Kind::saveFailed, status}));
        Diagnostics::flush();
        Diagnostics::setLogFilePathForTesting({});
        QFile log(logPath);
        const QString text = QString::fromUtf8(log.open(QIODevice::ReadOnly) ? log.readAll() : "");
        QCOMPARE(text.count(u"[WARN] [Secret Service] indisponível"_s), reason.isEmpty() ? 0 : 1);
        QVERIFY2(text.contains(reason), qPrintable(text));
    }

    // Also: calls reach the store in call order, so the read sees the save made just before it.
    void saveCreatesThenUpdatesOneLabelledItem() {
        store->items.insert({u"com.dravo.tavimor"_s, u"other"_s}, {"kept", u"set by hand"_s});
        KeychainService::saveAsync(u"todoist_token"_s, u"abc123"_s, this, {});
        KeychainService::saveAsync(u"todoist_token"_s, u"new"_s, this, {});
        QCOMPARE(load(u"todoist_token"_s).value, u"new"_s);

        QCOMPARE(store->operations, (QStringList{u"add"_s, u"add"_s, u"update"_s, u"lookup"_s}));
        QCOMPARE(store->items.size(), 2);
        QCOMPARE(storedItem(u"todoist_token"_s).label, u"Tavimor (todoist_token)"_s);
        QCOMPARE(storedItem(u"other"_s).secret, QByteArray("kept"));
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
        QCOMPARE(load(u"k"_s).value, expected);
    }

    void textRoundTripsByteForByte() {
        const QString value = QChar(0xFEFF) + QString::fromUtf8("tok\xc3\xa9n\xf0\x9f\x94\x91 ") + QChar(0);
        QCOMPARE(save(u"k"_s, value), std::nullopt);
        QCOMPARE(storedItem(u"k"_s).secret, value.toUtf8());
        QCOMPARE(load(u"k"_s).value, value);
    }

    // Also: nothing is delivered to a context that is gone.
    void removeIsSilent() {
        store->forcedStatus.insert(u"remove"_s, SecretStatus::notAvailable);
        auto* gone = new QObject;
        bool called = false;
        KeychainService::removeAsync(u"never_saved"_s, gone, [&] { called = true; });
        delete gone;
        store->forcedStatus.clear();
        QCOMPARE(save(u"k"_s, u"v"_s), std::nullopt);
        KeychainService::removeAsync(u"k"_s, this);
        QCOMPARE(load(u"k"_s).value, std::nullopt);
        QVERIFY(!called);
    }
};

QTEST_GUILESS_MAIN(TestKeychain)
#include "tst_keychain.moc"
