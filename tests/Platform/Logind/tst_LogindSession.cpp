#include "Platform/Logind/LogindSession.h"
#include "Services/SystemPresence.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QtTest>

// The session against python3-dbusmock's logind template, on buses of its own: a private bus stands in for
// the system bus, another for the session bus. Nothing touches the machine's buses.
class LogindSessionTest : public QObject {
    Q_OBJECT

    QProcess systemBusDaemon, sessionBusDaemon, emptyBusDaemon, logind;
    QDBusConnection systemBus{QString()};
    QDBusConnection sessionBus{QString()};

    static QString startBus(QProcess& daemon) {
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        return daemon.waitForReadyRead(5000) ? QString::fromUtf8(daemon.readLine()).trimmed() : QString();
    }

    QDBusMessage mock(const QString& path, const QString& method, const QVariantList& arguments) {
        auto message = QDBusMessage::createMethodCall("org.freedesktop.login1", path,
                                                      "org.freedesktop.DBus.Mock", method);
        message.setArguments(arguments);
        return systemBus.call(message);
    }

    void setSession(const QString& path, const QVariantMap& properties) {
        mock(path, "UpdateProperties", {"org.freedesktop.login1.Session", properties});
    }

    std::unique_ptr<LogindSession> startedSession(QDBusConnection bus) {
        auto session = std::make_unique<LogindSession>(bus, sessionBus);
        QSignalSpy found(session.get(), &ILogindSession::stateChanged);
        session->start();
        found.wait(3000);
        return session;
    }

private Q_SLOTS:
    void initTestCase() {
        if (QProcess::execute("/usr/bin/python3", {"-c", "import dbusmock"}) != 0)
            QSKIP("python3-dbusmock is not installed");
        const QString systemAddress = startBus(systemBusDaemon);
        const QString sessionAddress = startBus(sessionBusDaemon);
        QVERIFY(!systemAddress.isEmpty() && !sessionAddress.isEmpty());
        systemBus = QDBusConnection::connectToBus(systemAddress, "test-system");
        sessionBus = QDBusConnection::connectToBus(sessionAddress, "test-session");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", systemAddress.toUtf8()); // for the mock
        logind.start("/usr/bin/python3", {"-m", "dbusmock", "--system", "--template", "logind"});
        QTRY_VERIFY_WITH_TIMEOUT(systemBus.interface()->isServiceRegistered("org.freedesktop.login1"), 10000);
        for (const char* id : {"c1", "c2"})
            QCOMPARE(mock("/org/freedesktop/login1", "AddSession", {id, "seat0", 1000u, "user", true}).type(),
                     QDBusMessage::ReplyMessage);
        qputenv("XDG_SESSION_ID", "c2");
    }

    void cleanupTestCase() {
        for (QProcess* process : {&logind, &systemBusDaemon, &sessionBusDaemon, &emptyBusDaemon}) {
            process->kill();
            process->waitForFinished();
        }
    }

    // Presence follows the session's Active and LockedHint as logind changes them, without asking.
    void presenceFollowsTheSession() {
        auto session = startedSession(systemBus);
        QVERIFY(session->isKnown());
        QCOMPARE(session->path(), "/org/freedesktop/login1/session/c2");
        const SystemPresence presence(session.get(), nullptr);
        QVERIFY(presence.userIsPresent());
        setSession(session->path(), {{"LockedHint", true}});
        QTRY_VERIFY(session->isLocked());
        QVERIFY(!presence.userIsPresent());
        setSession(session->path(), {{"LockedHint", false}, {"Active", false}});
        QTRY_VERIFY(!session->isActive());
        QVERIFY(!presence.userIsPresent());
        setSession(session->path(), {{"Active", true}});
        QTRY_VERIFY(presence.userIsPresent());
    }

    // Lock goes to the caller's session and counts once a locker sets the hint. Accepted by logind with no
    // locker listening (and no screen saver on the session bus), it fails after a few seconds with the
    // reason.
    void lockAsksTheCallersSession() {
        for (const bool lockerAnswers : {false, true}) {
            auto session = startedSession(systemBus);
            logind.readAllStandardOutput(); // the mock logs each call and signal there; drop the earlier ones
            std::optional<bool> locked;
            QString error;
            session->lock(this, [&](bool ok, const QString& reason) { locked = ok, error = reason; });
            QByteArray calls;
            QTRY_VERIFY(
                (calls += logind.readAllStandardOutput()).contains("c2 org.freedesktop.login1.Session.Lock"));
            QVERIFY(!calls.contains("c1 org.freedesktop.login1.Session.Lock"));
            QTest::qWait(200);
            QVERIFY(!locked.has_value());
            if (lockerAnswers)
                setSession(session->path(), {{"LockedHint", true}});
            QTRY_VERIFY_WITH_TIMEOUT(locked.has_value(), LogindSession::lockConfirmMs + 3000);
            QCOMPARE(*locked, lockerAnswers);
            QCOMPARE(error.contains("não bloqueou"), !lockerAnswers);
            setSession(session->path(), {{"LockedHint", false}});
        }
    }

    // Without logind the user counts as present, and locking falls back to the screen saver; with neither,
    // the lock fails with a reason.
    void logindAbsent() {
        const QDBusConnection emptyBus = QDBusConnection::connectToBus(startBus(emptyBusDaemon), "empty");
        auto session = startedSession(emptyBus);
        QVERIFY(!session->isKnown());
        QVERIFY(SystemPresence(session.get(), nullptr).userIsPresent());
        std::optional<bool> accepted;
        QString error;
        session->lock(this, [&](bool ok, const QString& reason) { accepted = ok, error = reason; });
        QTRY_VERIFY(accepted.has_value());
        QVERIFY(!*accepted && !error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(LogindSessionTest)
#include "tst_LogindSession.moc"
