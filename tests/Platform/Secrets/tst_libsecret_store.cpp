#include "AnswerOf.h"
#include "Platform/Secrets/LibsecretStore.h"
#include "Services/KeychainService.h"

#include <QtDBus>
#include <QtTest>

#include <csignal>
#include <map>

using namespace Qt::StringLiterals;
using Paths = QList<QDBusObjectPath>;
using Attributes = QMap<QString, QString>;

// Runs inside tests/integration/test_secret_service.sh, on a private session bus holding what
// TAVIMOR_SECRET_SERVICE_PROVIDER names: "gnome-keyring" (with the items "foreign_token" and two of the
// service "shared", one in the session collection, stored by secret-tool), "none", or "denied" (a provider
// the bus lets nobody reach).
namespace {

const QString service = u"com.dravo.tavimor"_s;
const QByteArray provider = qgetenv("TAVIMOR_SECRET_SERVICE_PROVIDER");

QDBusMessage callSecrets(const QString& method, const QVariant& argument) {
    return QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(u"org.freedesktop.secrets"_s, u"/org/freedesktop/secrets"_s,
                                       u"org.freedesktop.Secret.Service"_s, method)
        << argument);
}

Paths pathsIn(const QDBusMessage& reply, int argument) {
    return qdbus_cast<Paths>(reply.arguments().value(argument).value<QDBusArgument>());
}

// The provider's own view of the items of an account, unlocked and locked alike.
Paths itemsOf(const QString& account) {
    const QDBusMessage reply = callSecrets(
        u"SearchItems"_s, QVariant::fromValue(Attributes{{u"service"_s, service}, {u"account"_s, account}}));
    return reply.type() == QDBusMessage::ReplyMessage ? pathsIn(reply, 0) + pathsIn(reply, 1) : Paths();
}

bool lockDefaultCollection() {
    const auto collection =
        callSecrets(u"ReadAlias"_s, u"default"_s).arguments().value(0).value<QDBusObjectPath>();
    return pathsIn(callSecrets(u"Lock"_s, QVariant::fromValue(Paths{collection})), 0).contains(collection);
}

// Unlock requests are what would put a prompt on the user's screen. The script records the bus's
// Service.Unlock calls with dbus-monitor; an Unlock of a numbered path that names no item, sent here, marks
// how far the record has got.
int unlockRequestsSeen() {
    static int markers = 0;
    ++markers;
    const QString marker = u"/org/freedesktop/secrets/marker/%1"_s.arg(markers);
    callSecrets(u"Unlock"_s, QVariant::fromValue(Paths{QDBusObjectPath(marker)}));
    int seen = 0;
    const auto caughtUp = [&] {
        QFile log(qEnvironmentVariable("TAVIMOR_SECRET_SERVICE_MONITOR_LOG"));
        const QByteArray record = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        seen = int(record.count("member=Unlock"));
        return record.contains('"' + marker.toUtf8() + '"');
    };
    return QTest::qWaitFor(caughtUp, 5000) ? seen - markers : -1; // -1: the record is not being written
}

SecretLookup lookup(ISecretStore& store, const QString& account, const QString& itemService = service) {
    return answerOf<SecretLookup>([&](auto done) { store.lookup(itemService, account, done); });
}
qint32 add(ISecretStore& store, const QString& account, const QByteArray& secret, const QString& label) {
    return answerOf<qint32>([&](auto done) { store.add(service, account, secret, label, done); });
}
qint32 update(ISecretStore& store, const QString& account, const QByteArray& secret, const QString& label) {
    return answerOf<qint32>([&](auto done) { store.update(service, account, secret, label, done); });
}
qint32 remove(ISecretStore& store, const QString& account) {
    return answerOf<qint32>([&](auto done) { store.remove(service, account, done); });
}
std::optional<QString> load(const QString& account) {
    return answerOf<KeychainRead>([&](auto done) { KeychainService::loadAsync(account, nullptr, done); })
        .value;
}
std::optional<KeychainError> save(const QString& account, const QString& value) {
    return answerOf<std::optional<KeychainError>>(
        [&](auto done) { KeychainService::saveAsync(account, value, nullptr, done); });
}

} // namespace

class TestLibsecretStore : public QObject {
    Q_OBJECT

    std::shared_ptr<LibsecretStore> store = std::make_shared<LibsecretStore>();

private Q_SLOTS:
    void initTestCase() {
        if (qgetenv("TAVIMOR_SECRET_SERVICE_TEST") != "1")
            QSKIP("runs only inside tests/integration/test_secret_service.sh");
        // Never write into the user's keyring: the bus must be the private one the script started.
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        if (bus.isEmpty() || bus != qgetenv("TAVIMOR_TEST_SESSION_BUS") ||
            bus == qgetenv("TAVIMOR_OUTER_SESSION_BUS") || qgetenv("DBUS_SYSTEM_BUS_ADDRESS") != bus)
            QFAIL("refusing to run: the session and system buses are not the script's private bus");
        QVERIFY(provider == "gnome-keyring" || provider == "none" || provider == "denied");
        qDBusRegisterMetaType<Attributes>();
        KeychainService::setStore(store);
    }

    // Only the last test runs on the buses without a reachable provider; all the others need one.
    void init() {
        const bool wantsProvider = qstrcmp(QTest::currentTestFunction(), "withoutProviderEveryCallFails");
        if (wantsProvider != (provider == "gnome-keyring"))
            QSKIP("meant for the other bus");
    }

    // Also: the bytes come back exactly.
    void addLookupUpdateAndRemove() {
        const QString account = u"round_trip"_s;
        const QByteArray bytes("\xff\x00one\xc3", 6);
        QCOMPARE(lookup(*store, account).status, SecretStatus::itemNotFound);
        QCOMPARE(update(*store, account, "x", u"x"_s), SecretStatus::itemNotFound);
        QCOMPARE(add(*store, account, bytes, u"first"_s), SecretStatus::success);
        QCOMPARE(add(*store, account, "two", u"second"_s), SecretStatus::duplicateItem);
        QCOMPARE(lookup(*store, account).secret, bytes);
        QCOMPARE(update(*store, account, "three", u"third"_s), SecretStatus::success);
        QCOMPARE(lookup(*store, account).secret, QByteArray("three"));
        QCOMPARE(itemsOf(account).size(), 1);

        QCOMPARE(remove(*store, account), SecretStatus::success);
        QCOMPARE(remove(*store, account), SecretStatus::itemNotFound);
        QVERIFY(itemsOf(account).isEmpty());
    }

    void keychainOverwritesAnItemStoredByAnotherProgram() {
        const QString account = u"foreign_token"_s;
        QCOMPARE(load(account), u"foreignsecret"_s);
        QCOMPARE(save(account, u"mine"_s), std::nullopt);
        QCOMPARE(load(account), u"mine"_s);
        QCOMPARE(itemsOf(account).size(), 1);
    }

    // The provider is stopped, as one being started or swamped would be slow to answer. The thread that asked
    // keeps serving its events: its own timer resumes the provider in the middle of a read, whose answer then
    // comes late but whole (a frozen thread could not resume it, and the read would run into its limit).
    // Stopped for the whole call, a read or a write answers timedOut at its limit (a write waiting on a
    // prompt would otherwise hold every later call of the keychain). Either way the store works again once
    // the provider does.
    void aSlowProviderFreezesNothing_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("limitMs");
        QTest::addColumn<bool>("resumedDuringTheCall");
        QTest::addColumn<qint32>("status");
        QTest::newRow("late answer") << u"lookup"_s << 30000 << true << SecretStatus::success;
        QTest::newRow("no answer in time") << u"lookup"_s << 1000 << false << SecretStatus::timedOut;
        QTest::newRow("add") << u"add"_s << 1000 << false << SecretStatus::timedOut;
        QTest::newRow("update") << u"update"_s << 1000 << false << SecretStatus::timedOut;
        QTest::newRow("remove") << u"remove"_s << 1000 << false << SecretStatus::timedOut;
    }

    void aSlowProviderFreezesNothing() {
        QFETCH(QString, call);
        QFETCH(int, limitMs);
        QFETCH(bool, resumedDuringTheCall);
        QFETCH(qint32, status);
        const std::chrono::milliseconds limit{limitMs};
        LibsecretStore patient{limit, limit};
        const QString account = u"slow"_s;
        const qint32 added = add(*store, account, "late", u"slow"_s);
        QVERIFY(added == SecretStatus::success || added == SecretStatus::duplicateItem);
        QTimer ticker;
        const QSignalSpy ticks(&ticker, &QTimer::timeout);
        ticker.start(50);
        const int pid = qEnvironmentVariableIntValue("TAVIMOR_SECRET_SERVICE_PID");
        QVERIFY(pid > 0 && ::kill(pid, SIGSTOP) == 0);
        const auto resume = qScopeGuard([pid] { ::kill(pid, SIGCONT); });
        if (resumedDuringTheCall)
            QTimer::singleShot(500, this, [pid] { ::kill(pid, SIGCONT); });
        const std::map<QString, std::function<qint32()>> calls{
            {u"lookup"_s, [&] { return lookup(patient, account).status; }},
            {u"add"_s, [&] { return add(patient, account, "late", u"slow"_s); }},
            {u"update"_s, [&] { return update(patient, account, "late", u"slow"_s); }},
            {u"remove"_s, [&] { return remove(patient, account); }},
        };
        QCOMPARE(calls.at(call)(), status);
        QVERIFY(!ticks.isEmpty());
        ::kill(pid, SIGCONT);
        QTRY_COMPARE_WITH_TIMEOUT(lookup(patient, account).secret, std::optional<QByteArray>("late"), 10000);
    }

    // Runs last: the collection stays locked, since unlocking it again would need a prompt. The bus
    // has no prompter, so an unlock request there fails at once, as a dismissed prompt would.
    void lockedCollectionIsReadWithoutPrompting() {
        const QString account = u"locked"_s;
        QCOMPARE(save(account, u"hidden"_s), std::nullopt);
        QVERIFY(lockDefaultCollection());
        const int unlocksBefore = unlockRequestsSeen();
        QVERIFY(unlocksBefore >= 0);

        const SecretLookup found = lookup(*store, account);
        QCOMPARE(found.status, SecretStatus::interactionNotAllowed);
        QCOMPARE(found.secret, std::nullopt);
        // Of the two items of "shared", the locked one is passed over.
        QCOMPARE(lookup(*store, QString(), u"shared"_s).secret, QByteArray("unlocked"));
        QCOMPARE(add(*store, account, "x", u"x"_s), SecretStatus::duplicateItem);
        QCOMPARE(unlockRequestsSeen(), unlocksBefore);

        QCOMPARE(save(account, u"new"_s),
                 (KeychainError{KeychainError::Kind::saveFailed, SecretStatus::authFailed}));
        QCOMPARE(remove(*store, account), SecretStatus::authFailed);
        QCOMPARE(itemsOf(account).size(), 1);
        QVERIFY(unlockRequestsSeen() > unlocksBefore + 1); // the monitor does see the writes' requests
    }

    void withoutProviderEveryCallFails() {
        const qint32 expected = provider == "none" ? SecretStatus::notAvailable : SecretStatus::authFailed;
        const QString account = u"absent"_s;
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(lookup(*store, account).status, expected);
        QCOMPARE(add(*store, account, "v", u"l"_s), expected);
        QCOMPARE(update(*store, account, "v", u"l"_s), expected);
        QCOMPARE(remove(*store, account), expected);
        QVERIFY(elapsed.elapsed() < 5000);
    }
};

QTEST_GUILESS_MAIN(TestLibsecretStore)
#include "tst_libsecret_store.moc"
