#include "Platform/Screens/DBusScreenSleepSource.h"

#include <QtDBus>
#include <QtTest>

// Runs against a private dbus-daemon started here; it stands in for both the system and the session bus.
class TestDBusScreenSleepSource : public QObject {
    Q_OBJECT

    QProcess m_daemon;
    QString m_address;

    QDBusConnection connection(const QString& name) { return QDBusConnection::connectToBus(m_address, name); }

    static void send(QDBusConnection& from, const QString& path, const QString& interface,
                     const QString& name, bool value) {
        QVERIFY(from.send(QDBusMessage::createSignal(path, interface, name) << value));
    }

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        QTRY_VERIFY_WITH_TIMEOUT(
            m_daemon.canReadLine() || (m_daemon.waitForReadyRead(100) && m_daemon.canReadLine()), 5000);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());
    }

    void cleanupTestCase() {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    void logindAndScreenSaverSignalsBecomeSleepAndWake() {
        QDBusConnection logind = connection(QStringLiteral("logind"));
        QVERIFY(logind.registerService(QStringLiteral("org.freedesktop.login1")));
        QDBusConnection other = connection(QStringLiteral("screensaver"));
        QStringList degraded;
        DBusScreenSleepSource source(
            connection(QStringLiteral("system")), connection(QStringLiteral("session")),
            [&](const QString& component, auto&&...) { degraded.append(component); });
        QSignalSpy sleeps(&source, &IScreenSleepSource::screensDidSleep);
        QSignalSpy wakes(&source, &IScreenSleepSource::screensDidWake);
        source.start();
        source.start();
        QVERIFY(degraded.isEmpty());

        const QString login1 = QStringLiteral("/org/freedesktop/login1");
        const QString manager = QStringLiteral("org.freedesktop.login1.Manager");
        send(logind, login1, manager, "PrepareForSleep", true);
        QTRY_COMPARE(sleeps.count(), 1);
        send(logind, login1, manager, "PrepareForSleep", false);
        QTRY_COMPARE(wakes.count(), 1);
        send(other, "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", true);
        QTRY_COMPARE(sleeps.count(), 2);
        send(other, "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", false);
        QTRY_COMPARE(wakes.count(), 2);

        send(other, login1, manager, "PrepareForSleep", true); // not from logind: not believed
        source.stop();
        send(other, "/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", true);
        QTest::qWait(200);
        QCOMPARE(sleeps.count(), 2);
    }

    void unreachableBusesAreRecordedAsDegraded() {
        const QString nowhere = QStringLiteral("unix:path=/nonexistent/tavimor-test-bus");
        QStringList degraded;
        DBusScreenSleepSource source(
            QDBusConnection::connectToBus(nowhere, QStringLiteral("no-system")),
            QDBusConnection::connectToBus(nowhere, QStringLiteral("no-session")),
            [&](const QString& component, const QString& reason, const QString& impact) {
                QVERIFY(!reason.isEmpty() && !impact.isEmpty());
                degraded.append(component);
            });
        source.start();
        source.start();
        QCOMPARE(degraded, (QStringList{"logind", "ScreenSaver"}));
    }
};

QTEST_GUILESS_MAIN(TestDBusScreenSleepSource)
#include "tst_DBusScreenSleepSource.moc"
