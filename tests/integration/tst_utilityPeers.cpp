// Keep-awake, devices and local servers against real peers: python-dbusmock's logind, bluez5 and upower on a
// private bus that stands in for the system bus, and a real HTTP server child for lsof.
#include "FakeInhibitor.h"
#include "Platform/Bluetooth/BluezBluetooth.h"
#include "Platform/Logind/LogindInhibitor.h"
#include "Platform/Power/PowerSupplies.h"
#include "Platform/Processes/LinuxProcessTable.h"
#include "Services/CaffeinateService.h"
#include "Services/DeviceBatteryService.h"
#include "Services/LocalServersService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

static const QString python = QStringLiteral("/usr/bin/python3");

class UtilityPeersTest : public QObject {
    Q_OBJECT

    QProcess bus;
    QList<QProcess*> mocks;
    QDBusConnection connection{QString()};

    // Runs Python with `bus` bound to the private bus (the system bus here); its output, or "failed".
    QString run(const QString& code) {
        QProcess script;
        script.start(python, {"-c", "import dbus\nbus = dbus.SystemBus()\n" + code});
        const bool ok = script.waitForFinished(10000) && script.exitCode() == 0;
        return ok ? QString::fromUtf8(script.readAllStandardOutput()).trimmed() : QStringLiteral("failed");
    }

    // A bus of its own, started with `arguments`; its address, empty when it did not start.
    static QString startBus(QProcess& daemon, const QStringList& arguments) {
        daemon.start("dbus-daemon", arguments + QStringList{"--nofork", "--print-address=1"});
        return daemon.waitForReadyRead(5000) ? QString::fromUtf8(daemon.readLine().trimmed()) : QString();
    }

    // python-dbusmock's BlueZ on the bus at `address`, which it takes for the system bus.
    static void startBluezMock(QProcess& mock, const QString& address) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", address);
        mock.setProcessEnvironment(environment);
        mock.start(python, {"-m", "dbusmock", "--system", "--template", "bluez5"});
    }

    static auto stopping(std::initializer_list<QProcess*> processes) {
        return qScopeGuard([list = QList<QProcess*>(processes)] {
            for (QProcess* process : list) {
                process->terminate();
                process->waitForFinished(3000);
            }
        });
    }

    // Python bound to the bus at `address` instead of the shared one.
    QString runOn(const QString& address, const QString& code) {
        return run("bus = dbus.bus.BusConnection('" + address + "')\n" + code);
    }

    QString inhibitors() {
        return run("m = bus.get_object('org.freedesktop.login1', '/org/freedesktop/login1')\n"
                   "print(' '.join(i[0] + ':' + i[1] for i in m.ListInhibitors("
                   "dbus_interface='org.freedesktop.login1.Manager')))");
    }

private Q_SLOTS:
    void initTestCase() {
        if (QProcess::execute(python, {"-c", "import dbusmock"}) != 0)
            QSKIP("python3-dbusmock is not installed");
        bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(bus.waitForReadyRead(5000));
        const QByteArray address = bus.readLine().trimmed();
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
        connection = QDBusConnection::connectToBus(QString::fromUtf8(address), "peers");
        for (const char* name : {"logind", "bluez5", "upower"}) {
            mocks.append(new QProcess(this));
            mocks.last()->start(python, {"-m", "dbusmock", "--system", "--template", name});
        }
        for (const char* name : {"org.freedesktop.UPower", "org.bluez", "org.freedesktop.login1"})
            QTRY_VERIFY_WITH_TIMEOUT(connection.interface()->isServiceRegistered(name), 10000);
    }

    void cleanupTestCase() {
        for (QProcess* process : mocks + QList<QProcess*>{&bus}) {
            process->terminate();
            process->waitForFinished(3000);
        }
    }

    // The lock is listed while keep-awake runs and gone when its time is up; a child started meanwhile does
    // not keep it alive; the lid lock comes and goes with its switch.
    void logindInhibitors() {
        const auto screenSaver = std::make_shared<FakeInhibitor>(); // the desktop's, which has no mock here
        CaffeinateService service({std::make_shared<LogindInhibitor>(connection, "sleep:idle", "test"),
                                   screenSaver,
                                   std::make_shared<LogindInhibitor>(connection, "handle-lid-switch", "test"),
                                   {}});
        service.activateFor(1);
        screenSaver->answer(true);
        QTRY_VERIFY(service.isActive());
        QCOMPARE(inhibitors(), "sleep:idle:Tavimor");
        QProcess child;
        child.start("sleep", {"30"});
        QVERIFY(child.waitForStarted());
        service.tick();
        QVERIFY(!service.isActive());
        QTRY_VERIFY(inhibitors().isEmpty());
        child.kill();
        child.waitForFinished();

        service.setLidSleepPrevention(true);
        QTRY_VERIFY(service.lidSleepPrevented());
        QCOMPARE(inhibitors(), "handle-lid-switch:Tavimor");
        service.setLidSleepPrevention(false);
        QTRY_VERIFY(inhibitors().isEmpty());
    }

    // Paired devices are listed with or without a level, a Battery1 added later shows up, connect and
    // disconnect reach BlueZ and come back through its signals.
    void bluezDevices() {
        QCOMPARE(run("m = dbus.Interface(bus.get_object('org.bluez', '/'), 'org.bluez.Mock')\n"
                     "m.AddAdapter('hci0', 'desk')\n"
                     "for a, n in (('11:22:33:44:55:66', 'Headset'), ('11:22:33:44:55:77', 'Keyboard')):\n"
                     "    m.AddDevice('hci0', a, n)\n"
                     "    m.PairDevice('hci0', a, 0x240404)\n"),
                 QString());
        BluezBluetooth bluetooth(connection);
        DeviceBatteryService service({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                     &bluetooth);
        service.start();
        QTRY_COMPARE(service.pairedDisconnected().size(), 2);
        QCOMPARE(service.pairedDisconnected().constFirst().percent, std::nullopt); // no levels yet
        QCOMPARE(
            run("p = '/org/bluez/hci0/dev_11_22_33_44_55_66'\n"
                "o = bus.get_object('org.bluez', p)\n"
                "props = {'Percentage': dbus.Byte(64)}\n"
                "o.AddProperties('org.bluez.Battery1', props, dbus_interface='org.freedesktop.DBus.Mock')\n"
                "dbus.Interface(bus.get_object('org.bluez', '/'), 'org.freedesktop.DBus.Mock').EmitSignal(\n"
                "    'org.freedesktop.DBus.ObjectManager', 'InterfacesAdded', 'oa{sa{sv}}',\n"
                "    [dbus.ObjectPath(p), {'org.bluez.Battery1': props}])\n"),
            QString());
        QTRY_VERIFY(service.pairedDisconnected().constFirst().percent);
        const DeviceBattery headset = service.pairedDisconnected().constFirst();
        QCOMPARE(headset.percent, 64);
        QCOMPARE(headset.btAddress, std::optional<QString>("11-22-33-44-55-66"));
        service.toggleConnection(headset);
        QTRY_VERIFY_WITH_TIMEOUT(!service.isInFlight(headset.id), 5000);
        QCOMPARE(service.connectedDevices().size(), 1);
        QVERIFY(!service.errorMessage(headset.id));
        service.toggleConnection(service.connectedDevices().constFirst());
        QTRY_VERIFY_WITH_TIMEOUT(!service.isInFlight(headset.id), 5000);
        QCOMPARE(service.pairedDisconnected().size(), 2);
        QVERIFY(service.bluetoothPoweredOn());
    }

    // A radio switch BlueZ refuses, either way, falls back to rfkill and asks once more.
    void radioFallsBackToRfkill() {
        QTemporaryDir dir;
        QFile config(dir.filePath("bus.conf"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth><policy context="default">
<allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/>
<deny send_destination="org.bluez" send_interface="org.freedesktop.DBus.Properties" send_member="Set"/>
</policy></busconfig>)");
        config.close();
        QFile rfkill(dir.filePath("rfkill"));
        QVERIFY(rfkill.open(QIODevice::WriteOnly));
        rfkill.write("#!/bin/sh\necho \"$*\" >>\"$0.log\"\n");
        rfkill.close();
        QVERIFY(rfkill.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcess refusing, mock;
        const QString address = startBus(refusing, {"--config-file=" + config.fileName()});
        QVERIFY(!address.isEmpty());
        const auto stop = stopping({&mock, &refusing});
        startBluezMock(mock, address);
        QDBusConnection refusingBus = QDBusConnection::connectToBus(address, "refusing");
        QTRY_VERIFY_WITH_TIMEOUT(refusingBus.interface()->isServiceRegistered("org.bluez"), 10000);
        const auto onMock = [&](const QString& code) { return runOn(address, code); };
        QCOMPARE(
            onMock(
                "dbus.Interface(bus.get_object('org.bluez', '/'), 'org.bluez.Mock').AddAdapter('hci0', 'x')"),
            QString());
        BluezBluetooth bluetooth(refusingBus, nullptr, rfkill.fileName());
        bluetooth.load();
        for (const bool on : {false, true}) {
            QCOMPARE(onMock(QString("dbus.Interface(bus.get_object('org.bluez', '/org/bluez/hci0'), "
                                    "'org.freedesktop.DBus.Mock').UpdateProperties('org.bluez.Adapter1', "
                                    "{'Powered': %1})")
                                .arg(on ? "False" : "True")),
                     QString());
            QTRY_COMPARE(bluetooth.adapterPowered(), std::optional(!on));
            std::optional<bool> answer;
            bluetooth.setPowered(on, this, [&](bool ok) { answer = ok; });
            QTRY_VERIFY_WITH_TIMEOUT(answer.has_value(), 10000);
            QVERIFY(!*answer); // BlueZ still refuses
        }
        QFile log(rfkill.fileName() + ".log");
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), QByteArray("block bluetooth\nunblock bluetooth\n"));
    }

    // With no BlueZ on the bus, and with one that lists no adapter, there is no radio: the switch is off and
    // takes no tap. BlueZ appearing later, and an adapter added to it, bring the radio back by themselves.
    void bluezWithoutARadio() {
        QProcess daemon, mock;
        const QString address = startBus(daemon, {"--session"});
        QVERIFY(!address.isEmpty());
        const auto stop = stopping({&mock, &daemon});
        QDBusConnection bus = QDBusConnection::connectToBus(address, "without-radio");
        BluezBluetooth first(bus);
        DeviceBatteryService service({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                     &first);
        service.start();
        QCOMPARE(first.presence(), BluetoothPresence::Unknown);
        QTRY_COMPARE(first.presence(), BluetoothPresence::Absent); // nobody owns org.bluez
        QTRY_VERIFY(!service.bluetoothAvailable());
        QVERIFY(!service.bluetoothPoweredOn());

        startBluezMock(mock, address);
        QTRY_VERIFY_WITH_TIMEOUT(bus.interface()->isServiceRegistered("org.bluez"), 10000);
        BluezBluetooth second(bus);
        second.load();
        QTRY_COMPARE(second.presence(), BluetoothPresence::Absent); // BlueZ without an adapter
        QVERIFY(!service.bluetoothAvailable());

        QCOMPARE(runOn(address, "dbus.Interface(bus.get_object('org.bluez', '/'), "
                                "'org.bluez.Mock').AddAdapter('hci0', 'x')"),
                 QString());
        QTRY_VERIFY(service.bluetoothAvailable());
        QVERIFY(service.bluetoothPoweredOn());
        QTRY_COMPARE(second.presence(), BluetoothPresence::Present);
        QCOMPARE(
            runOn(address,
                  "dbus.Interface(bus.get_object('org.bluez', '/'), 'org.bluez.Mock').RemoveAdapter('hci0')"),
            QString());
        QTRY_VERIFY(!service.bluetoothAvailable());
    }

    void upowerBattery() {
        QCOMPARE(run("m = dbus.Interface(bus.get_object('org.freedesktop.UPower', '/org/freedesktop/UPower'),"
                     " 'org.freedesktop.DBus.Mock')\n"
                     "m.SetupDisplayDevice(2, 1, 42.6, 40.0, 80.0, 2.5, 0, 3600, True, 'battery', 1)\n"),
                 QString());
        const auto battery = upowerInternalBattery(connection);
        QVERIFY(battery);
        QCOMPARE(battery->percent, 43);
        QVERIFY(battery->charging);
    }

    // A real server child, its name holding a control character, is listed with its pid, port and project
    // name; a wrong name is never signalled; stopping it ends it and the next refresh drops it.
    void lsofFindsAndStopsAServer() {
        if (LinuxProcessTable::lsofPath().isEmpty())
            QSKIP("lsof is not installed");
        QTemporaryDir project;
        QFile manifest(project.filePath("package.json"));
        QVERIFY(manifest.open(QIODevice::WriteOnly) && manifest.write(R"({"name": "peer-shop"})") > 0);
        manifest.close();
        QProcess server;
        server.setWorkingDirectory(project.path());
        server.start(python, {"-u", "-c",
                              "import ctypes, runpy, sys\n"
                              "ctypes.CDLL(None).prctl(15, b'web\\x01srv', 0, 0, 0)\n"
                              "sys.argv = ['http.server', '0', '--bind', '127.0.0.1']\n"
                              "runpy.run_module('http.server', run_name='__main__')"});
        QVERIFY(server.waitForReadyRead(10000));
        const int port =
            QString::fromUtf8(server.readAllStandardOutput()).section(" port ", 1).section(' ', 0, 0).toInt();

        LocalServersService service;
        auto find = [&]() -> std::optional<LocalServer> {
            for (const LocalServer& row : service.servers())
                if (row.pid == qint32(server.processId()))
                    return row;
            return std::nullopt;
        };
        service.refresh();
        QTRY_VERIFY(find().has_value());
        QCOMPARE(find()->port, port);
        QCOMPARE(find()->appName, std::optional<QString>("peer-shop"));
        QVERIFY(!LinuxProcessTable().terminate(find()->pid, "node"));
        QVERIFY(!server.waitForFinished(300));
        service.stopServer(*find());
        QVERIFY(server.waitForFinished(5000));
        QTRY_VERIFY(!find().has_value());
    }
};

QTEST_GUILESS_MAIN(UtilityPeersTest)
#include "tst_utilityPeers.moc"
