#include "Platform/LibsecretStore.h"
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

// Runs against a real Secret Service provider on a private session bus; see
// tests/integration/test_secret_service.sh, which starts the bus and gnome-keyring and seeds the
// item "foreign_token" with secret-tool. TAVIMOR_SECRET_SERVICE_PROVIDER says what the bus holds:
// "gnome-keyring", or "none" for a bus without any provider.
namespace {

const QString service = QStringLiteral("com.dravo.tavimor");
const QString secretsName = QStringLiteral("org.freedesktop.secrets");
const QString secretsPath = QStringLiteral("/org/freedesktop/secrets");
const QString serviceInterface = QStringLiteral("org.freedesktop.Secret.Service");

using Attributes = QMap<QString, QString>;

QDBusMessage callSecrets(const QString& path, const QString& interface, const QString& method,
                         const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(secretsName, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
}

QList<QDBusObjectPath> objectPaths(const QVariant& argument) {
    return qdbus_cast<QList<QDBusObjectPath>>(argument.value<QDBusArgument>());
}

// The provider's own view of the items of an account, unlocked and locked alike.
QList<QDBusObjectPath> itemsOf(const QString& account) {
    const Attributes attributes{{QStringLiteral("service"), service}, {QStringLiteral("account"), account}};
    const QDBusMessage reply = callSecrets(secretsPath, serviceInterface, QStringLiteral("SearchItems"),
                                           {QVariant::fromValue(attributes)});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return objectPaths(reply.arguments().at(0)) + objectPaths(reply.arguments().at(1));
}

QString labelOf(const QDBusObjectPath& item) {
    const QDBusMessage reply =
        callSecrets(item.path(), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                    {QStringLiteral("org.freedesktop.Secret.Item"), QStringLiteral("Label")});
    return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
}

bool lockDefaultCollection() {
    const QDBusMessage alias =
        callSecrets(secretsPath, serviceInterface, QStringLiteral("ReadAlias"), {QStringLiteral("default")});
    const auto collection = alias.arguments().value(0).value<QDBusObjectPath>();
    const QDBusMessage locked = callSecrets(secretsPath, serviceInterface, QStringLiteral("Lock"),
                                            {QVariant::fromValue(QList<QDBusObjectPath>{collection})});
    return locked.type() == QDBusMessage::ReplyMessage &&
           objectPaths(locked.arguments().at(0)).contains(collection);
}

// Unlock requests are what would put a prompt on the user's screen. The script records the bus's
// Service.Unlock calls with dbus-monitor; an empty Unlock sent here marks how far the record has got.
int unlockRequestsSeen() {
    static int markers = 0;
    callSecrets(secretsPath, serviceInterface, QStringLiteral("Unlock"),
                {QVariant::fromValue(QList<QDBusObjectPath>())});
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

private:
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

    void cleanupTestCase() { KeychainService::setStore(nullptr); }

    void saveLoadAndDelete() {
        if (provider() != "gnome-keyring")
            QSKIP("needs a Secret Service provider on the bus");
        const QString account = QStringLiteral("round_trip");

        QCOMPARE(store->lookup(service, account).status, SecretStatus::itemNotFound);
        QCOMPARE(store->add(service, account, QByteArray("s3cret"), QStringLiteral("Tavimor (round_trip)")),
                 SecretStatus::success);
        const SecretLookup found = store->lookup(service, account);
        QCOMPARE(found.status, SecretStatus::success);
        QCOMPARE(found.secret, QByteArray("s3cret"));
        QCOMPARE(itemsOf(account).size(), 1);
        QCOMPARE(labelOf(itemsOf(account).first()), QStringLiteral("Tavimor (round_trip)"));

        QCOMPARE(store->remove(service, account), SecretStatus::success);
        QCOMPARE(store->lookup(service, account).status, SecretStatus::itemNotFound);
        QCOMPARE(store->remove(service, account), SecretStatus::itemNotFound);
        QCOMPARE(store->update(service, account, QByteArray("x"), QStringLiteral("x")),
                 SecretStatus::itemNotFound);
        QVERIFY(itemsOf(account).isEmpty());
    }

    void duplicateAddThenUpdate() {
        if (provider() != "gnome-keyring")
            QSKIP("needs a Secret Service provider on the bus");
        const QString account = QStringLiteral("duplicate");
        QCOMPARE(store->add(service, account, QByteArray("one"), QStringLiteral("first")),
                 SecretStatus::success);

        QCOMPARE(store->add(service, account, QByteArray("two"), QStringLiteral("second")),
                 SecretStatus::duplicateItem);
        QCOMPARE(store->lookup(service, account).secret, QByteArray("one"));
        QCOMPARE(store->update(service, account, QByteArray("three"), QStringLiteral("third")),
                 SecretStatus::success);

        QCOMPARE(store->lookup(service, account).secret, QByteArray("three"));
        const QList<QDBusObjectPath> items = itemsOf(account);
        QCOMPARE(items.size(), 1);
        QCOMPARE(labelOf(items.first()), QStringLiteral("third"));
    }

    void keychainOverwritesAnItemStoredByAnotherProgram() {
        if (provider() != "gnome-keyring")
            QSKIP("needs a Secret Service provider on the bus");
        const QString account = QStringLiteral("foreign_token");
        QCOMPARE(KeychainService::load(account), QStringLiteral("foreignsecret"));

        QCOMPARE(KeychainService::save(account, QStringLiteral("mine")), std::nullopt);

        QCOMPARE(KeychainService::load(account), QStringLiteral("mine"));
        const QList<QDBusObjectPath> items = itemsOf(account);
        QCOMPARE(items.size(), 1);
        QCOMPARE(labelOf(items.first()), QStringLiteral("Tavimor (foreign_token)"));
        KeychainService::remove(account);
        QVERIFY(itemsOf(account).isEmpty());
    }

    void bytesAreKeptExactly() {
        if (provider() != "gnome-keyring")
            QSKIP("needs a Secret Service provider on the bus");
        const QString account = QStringLiteral("binary");
        const QByteArray bytes("\xff\x00tail\xc3", 7);
        QCOMPARE(store->add(service, account, bytes, QStringLiteral("binary")), SecretStatus::success);

        QCOMPARE(store->lookup(service, account).secret, bytes);
        QCOMPARE(KeychainService::load(account), std::nullopt);
        QCOMPARE(store->update(service, account, QByteArray(), QStringLiteral("binary")),
                 SecretStatus::success);
        QCOMPARE(KeychainService::load(account), QString());
    }

    void callsFromWorkerThreads() {
        if (provider() != "gnome-keyring")
            QSKIP("needs a Secret Service provider on the bus");
        QCOMPARE(KeychainService::save(QStringLiteral("threads"), QStringLiteral("value")), std::nullopt);
        QList<QFuture<std::optional<QString>>> loads;
        for (int i = 0; i < 4; ++i)
            loads.append(QtConcurrent::run([] { return KeychainService::load(QStringLiteral("threads")); }));
        for (QFuture<std::optional<QString>>& load : loads)
            QCOMPARE(load.result(), QStringLiteral("value"));
    }

    // Runs last: the collection stays locked, since unlocking it again would need a prompt. The bus
    // has no prompter, so an unlock request there fails at once, as a dismissed prompt would.
    void lockedCollectionIsReadWithoutPrompting() {
        if (provider() != "gnome-keyring")
            QSKIP("needs a Secret Service provider on the bus");
        const QString account = QStringLiteral("locked");
        QCOMPARE(KeychainService::save(account, QStringLiteral("hidden")), std::nullopt);
        QVERIFY(lockDefaultCollection());
        const int unlocksBefore = unlockRequestsSeen();
        QVERIFY(unlocksBefore >= 0);

        const SecretLookup found = store->lookup(service, account);
        QCOMPARE(found.status, SecretStatus::interactionNotAllowed);
        QCOMPARE(found.secret, std::nullopt);
        QCOMPARE(KeychainService::load(account), std::nullopt);
        QCOMPARE(store->add(service, account, QByteArray("x"), QStringLiteral("x")),
                 SecretStatus::duplicateItem);
        QCOMPARE(unlockRequestsSeen(), unlocksBefore);

        QCOMPARE(KeychainService::save(account, QStringLiteral("new")),
                 (KeychainError{KeychainError::Kind::saveFailed, SecretStatus::authFailed}));
        QCOMPARE(store->remove(service, account), SecretStatus::authFailed);
        QCOMPARE(itemsOf(account).size(), 1);
        QVERIFY(unlockRequestsSeen() > unlocksBefore + 1); // the monitor does see the writes' requests
    }

    void withoutProviderEveryCallIsNotAvailable() {
        if (provider() != "none")
            QSKIP("needs a bus without a Secret Service provider");
        const QString account = QStringLiteral("absent");
        QElapsedTimer elapsed;
        elapsed.start();

        QCOMPARE(store->lookup(service, account).status, SecretStatus::notAvailable);
        QCOMPARE(store->add(service, account, QByteArray("v"), QStringLiteral("l")),
                 SecretStatus::notAvailable);
        QCOMPARE(store->update(service, account, QByteArray("v"), QStringLiteral("l")),
                 SecretStatus::notAvailable);
        QCOMPARE(store->remove(service, account), SecretStatus::notAvailable);
        QCOMPARE(KeychainService::load(account), std::nullopt);
        QCOMPARE(KeychainService::save(account, QStringLiteral("v")),
                 (KeychainError{KeychainError::Kind::saveFailed, SecretStatus::notAvailable}));
        QVERIFY(elapsed.elapsed() < 5000);
    }
};

QTEST_GUILESS_MAIN(TestLibsecretStore)
#include "tst_libsecret_store.moc"
