#include "Platform/Secrets/LibsecretStore.h"
#include "Services/KeychainService.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QtConcurrent>

#include <memory>

using namespace Qt::StringLiterals;
using Paths = QList<QDBusObjectPath>;

// Runs against a real Secret Service provider on a private session bus; see
// tests/integration/test_secret_service.sh, which starts the bus and gnome-keyring and stores the
// item "foreign_token" with secret-tool. TAVIMOR_SECRET_SERVICE_PROVIDER says what the bus holds:
// "gnome-keyring", or "none" for a bus without any provider.
namespace {

const QString service = u"com.dravo.tavimor"_s;
using Attributes = QMap<QString, QString>;

QDBusMessage callSecrets(const QString& method, const QVariantList& arguments,
                         const QString& path = u"/org/freedesktop/secrets"_s,
                         const QString& interface = u"org.freedesktop.Secret.Service"_s) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(u"org.freedesktop.secrets"_s, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
}

Paths pathsIn(const QDBusMessage& reply, int argument) {
    return qdbus_cast<Paths>(reply.arguments().value(argument).value<QDBusArgument>());
}

// The provider's own view of the items of an account, unlocked and locked alike.
Paths itemsOf(const QString& account) {
    const QDBusMessage reply =
        callSecrets(u"SearchItems"_s,
                    {QVariant::fromValue(Attributes{{u"service"_s, service}, {u"account"_s, account}})});
    return reply.type() == QDBusMessage::ReplyMessage ? pathsIn(reply, 0) + pathsIn(reply, 1) : Paths();
}

QString labelOf(const QDBusObjectPath& item) {
    const QDBusMessage reply = callSecrets(u"Get"_s, {u"org.freedesktop.Secret.Item"_s, u"Label"_s},
                                           item.path(), u"org.freedesktop.DBus.Properties"_s);
    return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
}

bool lockDefaultCollection() {
    const auto collection =
        callSecrets(u"ReadAlias"_s, {u"default"_s}).arguments().value(0).value<QDBusObjectPath>();
    return pathsIn(callSecrets(u"Lock"_s, {QVariant::fromValue(Paths{collection})}), 0).contains(collection);
}

// Unlock requests are what would put a prompt on the user's screen. The script records the bus's
// Service.Unlock calls with dbus-monitor; an empty Unlock sent here marks how far the record has got.
int unlockRequestsSeen() {
    static int markers = 0;
    callSecrets(u"Unlock"_s, {QVariant::fromValue(Paths())});
    ++markers;
    const auto countInLog = [] {
        QFile log(QString::fromLocal8Bit(qgetenv("TAVIMOR_SECRET_SERVICE_MONITOR_LOG")));
        return log.open(QIODevice::ReadOnly) ? int(log.readAll().count("member=Unlock")) : 0;
    };
    int seen = 0;
    if (!QTest::qWaitFor([&] { return (seen = countInLog()) >= markers; }, 5000))
        return -1; // the record is not being written
    return seen - markers;
}

QByteArray provider() {
    return qgetenv("TAVIMOR_SECRET_SERVICE_PROVIDER");
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
        QVERIFY(provider() == "gnome-keyring" || provider() == "none");
        qDBusRegisterMetaType<Attributes>();
        KeychainService::setStore(store);
    }

    // Only the last test runs on the bus without a provider; all the others need one.
    void init() {
        const bool wantsProvider =
            qstrcmp(QTest::currentTestFunction(), "withoutProviderEveryCallIsNotAvailable");
        if (wantsProvider != (provider() == "gnome-keyring"))
            QSKIP("meant for the other bus");
    }

    void cleanupTestCase() { KeychainService::setStore(nullptr); }

    void addLookupUpdateAndRemove() {
        const QString account = u"round_trip"_s;
        QCOMPARE(store->lookup(service, account).status, SecretStatus::itemNotFound);
        QCOMPARE(store->update(service, account, "x", u"x"_s), SecretStatus::itemNotFound);
        QCOMPARE(store->add(service, account, "one", u"first"_s), SecretStatus::success);
        QCOMPARE(store->add(service, account, "two", u"second"_s), SecretStatus::duplicateItem);
        QCOMPARE(store->lookup(service, account).secret, QByteArray("one"));
        QCOMPARE(store->update(service, account, "three", u"third"_s), SecretStatus::success);
        QCOMPARE(store->lookup(service, account).secret, QByteArray("three"));
        QCOMPARE(itemsOf(account).size(), 1);
        QCOMPARE(labelOf(itemsOf(account).first()), u"third"_s);

        QCOMPARE(store->remove(service, account), SecretStatus::success);
        QCOMPARE(store->remove(service, account), SecretStatus::itemNotFound);
        QVERIFY(itemsOf(account).isEmpty());
    }

    void keychainOverwritesAnItemStoredByAnotherProgram() {
        const QString account = u"foreign_token"_s;
        QCOMPARE(KeychainService::load(account), u"foreignsecret"_s);
        QCOMPARE(KeychainService::save(account, u"mine"_s), std::nullopt);
        QCOMPARE(KeychainService::load(account), u"mine"_s);
        QCOMPARE(itemsOf(account).size(), 1);
        QCOMPARE(labelOf(itemsOf(account).first()), u"Tavimor (foreign_token)"_s);
    }

    void bytesAreKeptExactly() {
        const QString account = u"binary"_s;
        const QByteArray bytes("\xff\x00tail\xc3", 7);
        QCOMPARE(store->add(service, account, bytes, u"binary"_s), SecretStatus::success);
        QCOMPARE(store->lookup(service, account).secret, bytes);
        QCOMPARE(KeychainService::load(account), std::nullopt); // not UTF-8
    }

    void callsFromWorkerThreads() {
        QCOMPARE(KeychainService::save(u"threads"_s, u"value"_s), std::nullopt);
        QList<QFuture<std::optional<QString>>> loads;
        for (int i = 0; i < 4; ++i)
            loads.append(QtConcurrent::run([] { return KeychainService::load(u"threads"_s); }));
        for (QFuture<std::optional<QString>>& load : loads)
            QCOMPARE(load.result(), u"value"_s);
    }

    // Runs last: the collection stays locked, since unlocking it again would need a prompt. The bus
    // has no prompter, so an unlock request there fails at once, as a dismissed prompt would.
    void lockedCollectionIsReadWithoutPrompting() {
        const QString account = u"locked"_s;
        QCOMPARE(KeychainService::save(account, u"hidden"_s), std::nullopt);
        QVERIFY(lockDefaultCollection());
        const int unlocksBefore = unlockRequestsSeen();
        QVERIFY(unlocksBefore >= 0);

        const SecretLookup found = store->lookup(service, account);
        QCOMPARE(found.status, SecretStatus::interactionNotAllowed);
        QCOMPARE(found.secret, std::nullopt);
        QCOMPARE(store->add(service, account, "x", u"x"_s), SecretStatus::duplicateItem);
        QCOMPARE(unlockRequestsSeen(), unlocksBefore);

        QCOMPARE(KeychainService::save(account, u"new"_s),
                 (KeychainError{KeychainError::Kind::saveFailed, SecretStatus::authFailed}));
        QCOMPARE(store->remove(service, account), SecretStatus::authFailed);
        QCOMPARE(itemsOf(account).size(), 1);
        QVERIFY(unlockRequestsSeen() > unlocksBefore + 1); // the monitor does see the writes' requests
    }

    void withoutProviderEveryCallIsNotAvailable() {
        const QString account = u"absent"_s;
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(store->lookup(service, account).status, SecretStatus::notAvailable);
        QCOMPARE(store->add(service, account, "v", u"l"_s), SecretStatus::notAvailable);
        QCOMPARE(store->update(service, account, "v", u"l"_s), SecretStatus::notAvailable);
        QCOMPARE(store->remove(service, account), SecretStatus::notAvailable);
        QVERIFY(elapsed.elapsed() < 5000);
    }
};

QTEST_GUILESS_MAIN(TestLibsecretStore)
#include "tst_libsecret_store.moc"
