#include "AnswerOf.h"
#include "FakeSecretStore.h"
#include "Services/DiagnosticsService.h"
#include "Services/KeychainService.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using Text = std::optional<QString>;
using SaveResult = std::optional<KeychainError>;

class TestKeychain : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeSecretStore> store;

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
        QCOMPARE(save(u"todoist_token"_s, u"t"_s), (KeychainError{KeychainError::Kind::saveFailed, status}));
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
        QCOMPARE(store->items.value({u"com.dravo.tavimor"_s, u"todoist_token"_s}).label,
                 u"Tavimor (todoist_token)"_s);
    }

    // Text comes back byte for byte (a byte-order mark and NUL included); bytes that are not UTF-8, none.
    void loadDecodesStrictly_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<Text>("expected");
        const QString text = QChar(0xFEFF) + QString::fromUtf8("tok\xc3\xa9n\xf0\x9f\x94\x91 ") + QChar(0);
        QTest::newRow("marks and NUL") << text.toUtf8() << Text(text);
        QTest::newRow("empty") << QByteArray() << Text(QString());
        QTest::newRow("stray byte") << QByteArray("ab\xff") << Text();
        QTest::newRow("truncated sequence") << QByteArray("abc\xc3") << Text();
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << Text();
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << Text();
    }

    void loadDecodesStrictly() {
        QFETCH(QByteArray, stored);
        QFETCH(Text, expected);
        store->items.insert({u"com.dravo.tavimor"_s, u"k"_s}, {stored, {}});
        QCOMPARE(load(u"k"_s).value, expected);
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
