#include "FakeBluetooth.h"
#include "FakeClock.h"
#include "FakeProcessTable.h"
#include "Platform/Power/PowerSupplies.h"
#include "Widgets/DeviceBatteryWidget.h"
#include "Widgets/LocalServersWidget.h"

#include <QRandomGenerator>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using Rows = QList<QStringList>; // pid-port id and process name of each server, in order

// The devices and the local servers over fake sysfs trees, Bluetooth stacks and process tables.
class UtilityServicesTest : public QObject {
    Q_OBJECT

    static bool write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    static Rows rowsOf(const QList<LocalServer>& servers) {
        Rows rows;
        for (const LocalServer& server : servers)
            rows.append({server.id(), server.processName});
        return rows;
    }

    static DeviceBattery row(const QString& name, int percent) {
        return {"sp-" + name.toLower(), name, {}, percent, false, {}, true};
    }

private Q_SLOTS:
    // Internal battery and peripherals from a power_supply tree, junk and empty files included.
    void readsPowerSupplies_data() {
        QTest::addColumn<QString>("files");    // entry/attribute=content, blank-separated
        QTest::addColumn<QString>("internal"); // "percent charging" or empty
        QTest::addColumn<QStringList>("peripherals");
        QTest::newRow("capacity") << "BAT0/type=Battery BAT0/capacity=87 BAT0/status=Charging"
                                  << "87 1" << QStringList{};
        QTest::newRow("energy rounds, limited")
            << "BAT1/type=Battery BAT1/energy_now=3990 BAT1/energy_full=4000 BAT2/type=Battery"
            << "100 0" << QStringList{};
        QTest::newRow("over full") << "BAT0/type=Battery BAT0/charge_now=5000 BAT0/charge_full=4000"
                                   << "100 0" << QStringList{};
        QTest::newRow("junk and empty")
            << "BAT0/type=Battery BAT0/capacity=lots AC/type=Mains hid-1/scope=Device hid-1/capacity="
            << "" << QStringList{};
        QTest::newRow("peripherals limited") << "hid-a/scope=Device hid-a/capacity=120 hid-a/model_name=MX "
                                                "hid-b/scope=Device hid-b/capacity=-5 hid-b/status=Charging"
                                             << "" << QStringList{"MX 100 0", " 0 1"};
    }

    void readsPowerSupplies() {
        QFETCH(QString, files);
        QTemporaryDir root;
        for (const QString& entry : files.split(' ')) {
            QDir(root.path()).mkpath(entry.section('/', 0, 0));
            QVERIFY(write(root.filePath(entry.section('=', 0, 0)), entry.section('=', 1).toUtf8()));
        }
        const SysfsPowerSupplies supplies(root.path());
        const auto internal = supplies.internalBattery();
        QTEST(internal ? QStringLiteral("%1 %2").arg(internal->percent).arg(internal->charging) : QString(),
              "internal");
        QStringList peripherals;
        for (const BatteryReading& r : supplies.peripherals())
            peripherals << QStringLiteral("%1 %2 %3").arg(r.modelName).arg(r.percent).arg(r.charging);
        QTEST(peripherals, "peripherals");
    }

    // A row takes the address and state of the paired device of the same name, else of one whose name
    // contains or is contained in its own; an empty name never matches.
    void mergesWithPairedDevices() {
        const QList<PairedDeviceInfo> paired{
            {"", "aa-00", true},
            {"Team's AirPods Pro", DeviceBatteryService::pairedAddress("AA:01"), true},
            {"MX Keys", "aa-02", false},
            {"keys", "aa-03", false}};
        const std::pair<const char*, const char*> rows[] = {{"Team’s AirPods Pro", "aa-01"}, // after clean-up
                                                            {"AirPods Pro", "aa-01"},        // contained
                                                            {"Keys", "aa-03"}, // exact beats contained
                                                            {"Speaker", ""},
                                                            {" 's ", ""}}; // empty after clean-up
        for (const auto& [name, address] : rows)
            QCOMPARE(DeviceBatteryService::merge(row(QString::fromUtf8(name), 50), paired)
                         .btAddress.value_or(QString()),
                     QString::fromLatin1(address));
    }

    // Levels: low below 20, the bar never above the track nor below a sliver; names decide the glyph.
    void drawsRows() {
        DeviceBatteryWidget widget({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                   nullptr);
        const std::tuple<const char*, int, bool, double, const char*> cases[] = {
            {"Buds Keyboard", 19, true, 0.19, "headphones"},
            {"Magic Keyboard", 20, false, 0.2, "keyboard.fill"},
            {"MX Master 3", 0, true, 0.01, "computermouse.fill"},
            {"Speaker", 150, false, 1.0, "dot.radiowaves.left.and.right"}};
        for (const auto& [name, percent, low, fraction, image] : cases) {
            const QVariantMap shown = widget.rowFor(row(name, percent));
            QCOMPARE(shown.value("low").toBool(), low);
            QCOMPARE(shown.value("fraction").toDouble(), fraction);
            QCOMPARE(DeviceBatteryService::icon(name, {}), QString::fromLatin1(image));
        }
    }

    // Every paired device has a row and a button, with or without a level, named or not; the status counts
    // exactly the connected rows with a button. Other devices are listed only with a level.
    void listsBluetoothDevices_data() {
        QTest::addColumn<QList<BluetoothDeviceInfo>>("devices");
        QTest::addColumn<QStringList>("connected"); // name|level or "no bar"|trailing control
        QTest::addColumn<QStringList>("paired");
        QTest::addColumn<QString>("status");
        const std::optional<int> none;
        QTest::newRow("paired, disconnected, no level")
            << QList<BluetoothDeviceInfo>{{"AA:01", "Headset", "audio-headset", true, false, none}}
            << QStringList() << QStringList{"Headset|no bar|connect"} << "Nenhum conectado";
        QTest::newRow("paired, connected, no level")
            << QList<BluetoothDeviceInfo>{{"AA:01", "Phone", "phone", true, true, none}}
            << QStringList{"Phone|no bar|connect"} << QStringList() << "1 conectados";
        QTest::newRow("blank names") << QList<BluetoothDeviceInfo>{{"AA:01", "", "", true, true, 40},
                                                                   {"AA:02", " ", "", true, true, 50}}
                                     << QStringList{"Dispositivo|40%|connect", "Dispositivo|50%|connect"}
                                     << QStringList() << "2 conectados";
        QTest::newRow("not paired") << QList<BluetoothDeviceInfo>{{"AA:01", "Pen", "", false, true, 30},
                                                                  {"AA:02", "TV", "", false, false, none}}
                                    << QStringList{"Pen|30%|none"} << QStringList() << "Nenhum conectado";
    }

    void listsBluetoothDevices() {
        FakeBluetooth bluetooth;
        QFETCH(QList<BluetoothDeviceInfo>, devices);
        bluetooth.deviceList = devices;
        DeviceBatteryWidget widget({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                   &bluetooth);
        const auto shown = [](const QVariantList& rows) {
            QStringList texts;
            for (const QVariant& row : rows) {
                const QVariantMap map = row.toMap();
                const QString level =
                    map.value("hasLevel").toBool() ? map.value("levelText").toString() : "no bar";
                texts << map.value("name").toString() + '|' + level + '|' + map.value("trailing").toString();
            }
            return texts;
        };
        widget.start();
        QTRY_VERIFY(!widget.service()->devices().isEmpty());
        QTEST(shown(widget.connectedRows()), "connected");
        QTEST(shown(widget.pairedRows()), "paired");
        QTEST(widget.statusText(), "status");
    }

    // Two clicks send one request; a failed connect leaves a retry with its text, which sends again; the
    // radio follows the user while busy and ignores a second switch.
    void connectsAndSwitchesTheRadio() {
        FakeBluetooth bluetooth;
        bluetooth.deviceList = {{"AA:BB:CC:00:00:01", "Headset", "audio-headset", true, false, 55},
                                {"AA:BB:CC:00:00:02", "Mouse", "input-mouse", true, true, 80}};
        DeviceBatteryWidget widget({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                   &bluetooth);
        const auto paired = [&](const char* key) { return widget.pairedRows().value(0).toMap().value(key); };
        widget.start();
        QTRY_COMPARE(widget.pairedRows().size(), 1);
        QCOMPARE(widget.statusText(), "1 conectados");
        widget.toggleConnection("sp-headset");
        widget.toggleConnection("sp-headset");
        QCOMPARE(bluetooth.requests.size(), 1);
        QCOMPARE(bluetooth.requests.constFirst().address, "AA:BB:CC:00:00:01");
        bluetooth.answer(false);
        QTRY_COMPARE_WITH_TIMEOUT(paired("trailing").toString(), "retry", 3000);
        QCOMPARE(paired("errorText").toString(), "Falha ao conectar");
        widget.toggleConnection("sp-headset");
        widget.toggleRadio();
        widget.toggleRadio();
        QVERIFY(!widget.radioOn() && widget.radioBusy());
        QCOMPARE(bluetooth.requests.size(), 2);
    }

    // The radio card and the list for each answer of the stack: loading until a refresh has ended, then the
    // rows or the empty text; where the stack tells there is no radio, a switch that takes no tap.
    void showsRadioAndList_data() {
        QTest::addColumn<BluetoothPresence>("presence");
        QTest::addColumn<bool>("powered");
        QTest::addColumn<bool>("withDevice");
        QTest::addColumn<QString>("shown"); // switch text|takes a tap|status|placeholder
        const QString empty = "Nenhum dispositivo encontrado.";
        QTest::newRow("no service or no adapter")
            << BluetoothPresence::Absent << true << false << "Desligado|0|Bluetooth indisponível|" + empty;
        QTest::newRow("no radio, a battery row")
            << BluetoothPresence::Absent << false << true << "Desligado|0|Bluetooth indisponível|";
        QTest::newRow("cannot be told")
            << BluetoothPresence::Unknown << false << false << "Ligado|1|Nenhum conectado|" + empty;
        QTest::newRow("adapter off") << BluetoothPresence::Present << false << true
                                     << "Desligado|1|Rádio desligado|";
        QTest::newRow("adapter on") << BluetoothPresence::Present << true << true
                                    << "Ligado|1|Nenhum conectado|";
    }

    void showsRadioAndList() {
        QFETCH(BluetoothPresence, presence);
        QFETCH(bool, withDevice);
        FakeBluetooth bluetooth;
        bluetooth.presenceNow = presence;
        QFETCH(bool, powered);
        bluetooth.powered = powered;
        QSemaphore readable; // the first refresh ends when the test lets it
        const auto internal = [withDevice, &readable]() -> std::optional<DeviceBattery> {
            readable.acquire();
            if (withDevice)
                return DeviceBattery{"mac-internal", "Desk", {}, 80, false, {}, true};
            return std::nullopt;
        };
        DeviceBatteryWidget widget({internal, [] { return QList<DeviceBattery>(); }}, &bluetooth);
        widget.start();
        QTest::qWait(20);
        QCOMPARE(widget.placeholder(), "Carregando...");
        readable.release(2); // one to spare, so that no read is left waiting
        QTRY_VERIFY(widget.service()->loaded());
        const QString shown = QStringList{widget.radioText(), QString::number(widget.radioEnabled()),
                                          widget.statusText(), widget.placeholder()}
                                  .join('|');
        QTEST(shown, "shown");
        const bool enabled = widget.radioEnabled();
        widget.toggleRadio();
        QCOMPARE(bluetooth.requests.size(), int(enabled));
    }

    // A Bluetooth service or adapter that turns up later makes the switch take taps, without a new refresh
    // asked for by the tab.
    void radioComesAlive() {
        FakeBluetooth bluetooth;
        bluetooth.presenceNow = BluetoothPresence::Absent;
        DeviceBatteryWidget widget({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                   &bluetooth);
        widget.start();
        QTRY_COMPARE(widget.statusText(), "Bluetooth indisponível");
        QVERIFY(!widget.radioEnabled());
        bluetooth.presenceNow = BluetoothPresence::Present;
        Q_EMIT bluetooth.changed();
        QTRY_VERIFY(widget.radioEnabled());
        QCOMPARE(widget.radioText(), "Ligado");
        QCOMPARE(widget.statusText(), "Nenhum conectado");
    }

    void parsesLsofOutput_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<Rows>("expected");
        const QString id = QStringLiteral("4213-3000"), node = QStringLiteral("node");
        QTest::newRow("IPv4 and IPv6") << "p4213\ncnode\nn*:3000\nn[::1]:3000\n" << Rows{{id, node}};
        QTest::newRow("blocked") << "p1\ncControlCenter\nn*:7000\np2\ncDropbox\nn127.0.0.1:17600\n" << Rows{};
        QTest::newRow("no port number") << "p4213\ncnode\nn*:*\nn[::1]:\n" << Rows{};
        QTest::newRow("same port, two processes, sorted by port")
            << "p9\ncvite\nn*:5173\np20\ncnode\nn127.0.0.1:3000\np10\ncnode\nn[::]:3000\n"
            << Rows{{"10-3000", node}, {"20-3000", node}, {"9-5173", "vite"}};
        QTest::newRow("names with spaces and cut at 15") << "p7\ncWeb Content Pro\nn*:8080\n"
                                                         << Rows{{"7-8080", "Web Content Pro"}};
        QTest::newRow("socket before any process") << "n*:8000\np5\ncpython3\nn*:8001\n"
                                                   << Rows{{"0-8000", ""}, {"5-8001", "python3"}};
        QTest::newRow("unreadable pid") << "pabc\ncnode\nn*:3000\np-1\nn*:3001\n"
                                        << Rows{{"0-3000", node}, {"-1-3001", node}};
        QTest::newRow("garbage") << "\n\nx\nfoo\n:\nn\nc\np\n\x01\xff" << Rows{};
    }

    void parsesLsofOutput() {
        QFETCH(QString, output);
        QTEST(rowsOf(LocalServersService::parse(output)), "expected");
    }

    // A project's name comes only from a small regular package.json holding an object with a non-empty
    // string "name"; anything else falls back to the folder's name, and nothing blocks.
    void namesTheProject() {
        const QByteArray named = R"({"name": "web-shop"})",
                         huge = "{\"pad\": \"" + QByteArray(1 << 20, 'x') + "\"}";
        const std::pair<std::function<bool(const QByteArray&, const QByteArray&)>, const char*> cases[] = {
            {[&](auto& file, auto&) { return write(file, named); }, "web-shop"},
            {[&](auto& file, auto&) { return write(file, R"({"name": ""})"); }, "project"},
            {[&](auto& file, auto&) { return write(file, "{name"); }, "project"},
            {[&](auto& file, auto&) { return write(file, huge); }, "project"},
            {[&](auto& file, auto&) { return mkfifo(file.constData(), 0600) == 0; }, "project"},
            {[&](auto& file, auto&) { return symlink(file.constData(), file.constData()) == 0; }, "project"},
            {[&](auto& file, auto& real) {
                 return write(real, named) && symlink(real, file.constData()) == 0;
             },
             "web-shop"}};
        for (const auto& [make, expected] : cases) {
            QTemporaryDir root;
            QVERIFY(QDir(root.path()).mkdir("project"));
            QVERIFY(make(root.filePath("project/package.json").toLocal8Bit(),
                         root.filePath("real").toLocal8Bit()));
            QCOMPARE(LocalServersService::appName(root.filePath("project")).value_or(QString()), expected);
        }
    }

    // Only a positive pid other than this process's is signalled (with the row's name for the kernel check):
    // not 0 (our process group), -1 (every process) nor our own; every request ends with a refresh.
    void signalsOnlySafePids() {
        for (const qint32 pid : {4242, 0, -1, qint32(getpid())}) {
            auto processes = std::make_shared<FakeProcessTable>();
            processes->sockets = "p4242\ncnode\nn*:3000\n";
            LocalServersWidget widget(processes);
            QSignalSpy rows(&widget, &LocalServersWidget::rowsChanged);
            widget.service()->stopServer({pid, 3000, QStringLiteral("node"), std::nullopt});
            QTRY_VERIFY(!rows.isEmpty());
            QCOMPARE(processes->signalled.value(0).second, pid == 4242 ? QStringLiteral("node") : QString());
        }
    }

    // Ticks that come while a listing still runs start no second one; a listening process's project is
    // looked up once, a new one's when it appears, and a pid that stops listening is forgotten.
    void oneRefreshAtATimeAndEachProjectLookedUpOnce() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("shop") &&
                write(root.filePath("shop/package.json"), R"({"name":"s"})"));
        auto processes = std::make_shared<FakeProcessTable>();
        QSemaphore gate;
        processes->gate = &gate;
        processes->folders = {{1, root.filePath("shop")}, {2, root.filePath("shop")}};
        processes->sockets = "p1\ncnode\nn*:3000\nn*:3001\n";
        FakeScheduler scheduler;
        LocalServersService service(processes, &scheduler);
        QSignalSpy refreshed(&service, &LocalServersService::serversChanged);
        service.start();
        for (int tick = 0; tick < 4; ++tick)
            scheduler.advance(LocalServersService::refreshIntervalMs);
        gate.release(5);
        QTRY_COMPARE(refreshed.count(), 1);
        QTest::qWait(50);
        QCOMPARE(processes->listings.loadRelaxed(), 1);
        QCOMPARE(service.servers().value(1).appName, std::optional<QString>("s"));
        service.stop();
        int answers = 1;
        const auto refreshWith = [&](const QByteArray& sockets) {
            processes->sockets = sockets;
            service.refresh();
            gate.release();
            ++answers;
            QTRY_COMPARE(refreshed.count(), answers);
        };
        refreshWith("p1\ncnode\nn*:3000\np2\ncvite\nn*:5173\n");
        QCOMPARE(service.servers().value(1).appName, std::optional<QString>("s"));
        refreshWith("p2\ncvite\nn*:5173\n");
        refreshWith("p1\ncnode\nn*:3000\np2\ncvite\nn*:5173\n");
        QCOMPARE(processes->folderLookups, 3); // pid 1, pid 2, pid 1 again after it had gone
        QCOMPARE(refreshed.count(), 4);
    }

    // A refresh asked for while one runs is not lost: the one half a second after a stop runs as soon as the
    // running listing ends, so the stopped server leaves the list within a second, not at the next tick.
    void stopWhileRefreshingRemovesTheRow() {
        auto processes = std::make_shared<FakeProcessTable>();
        QSemaphore gate;
        processes->gate = &gate;
        processes->sockets = "p42\ncnode\nn*:3000\n";
        FakeScheduler scheduler;
        LocalServersService service(processes, &scheduler);
        service.start();
        gate.release();
        QTRY_COMPARE(service.servers().size(), 1);
        scheduler.advance(LocalServersService::refreshIntervalMs);
        QTRY_COMPARE(processes->listings.loadAcquire(), 2); // the tick's listing holds the server
        const qint64 stoppedAt = scheduler.elapsedMs();
        service.stopServer(service.servers().first());
        QTRY_COMPARE(scheduler.pendingCount(), 2); // the next tick and the refresh after the signal
        processes->sockets = QByteArray();
        scheduler.advance(LocalServersService::refreshAfterStopMs);
        gate.release(2);
        QTRY_VERIFY(service.servers().isEmpty());
        QVERIFY(scheduler.elapsedMs() - stoppedAt < 1000);
        QCOMPARE(processes->listings.loadAcquire(), 3);
    }

    // A kept project name follows its package.json; a process whose folder could not be read is looked up
    // again at its next refresh.
    void namesFollowTheProject_data() {
        QTest::addColumn<QByteArray>("manifestBefore"); // empty: no package.json
        QTest::addColumn<bool>("folderReadableBefore");
        QTest::addColumn<QByteArray>("manifestAfter");
        QTest::addColumn<QString>("nameBefore");
        QTest::addColumn<QString>("nameAfter");
        QTest::addColumn<int>("folderLookups");
        const QByteArray shop = R"({"name":"shop"})", store = R"({"name":"store"})";
        QTest::newRow("name changed") << shop << true << store << "shop"
                                      << "store" << 1;
        QTest::newRow("package.json appears") << QByteArray() << true << shop << "proj"
                                              << "shop" << 1;
        QTest::newRow("package.json removed") << shop << true << QByteArray() << "shop"
                                              << "proj" << 1;
        QTest::newRow("folder unreadable at first") << shop << false << shop << ""
                                                    << "shop" << 2;
    }

    void namesFollowTheProject() {
        QFETCH(QByteArray, manifestBefore);
        QFETCH(bool, folderReadableBefore);
        QFETCH(QByteArray, manifestAfter);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir("proj"));
        const QString manifest = root.filePath("proj/package.json");
        QVERIFY(manifestBefore.isEmpty() || write(manifest, manifestBefore));
        auto processes = std::make_shared<FakeProcessTable>();
        processes->sockets = "p7\ncnode\nn*:3000\n";
        if (folderReadableBefore)
            processes->folders.insert(7, root.filePath("proj"));
        FakeScheduler scheduler;
        LocalServersService service(processes, &scheduler);
        QSignalSpy refreshed(&service, &LocalServersService::serversChanged);
        service.refresh();
        QTRY_COMPARE(refreshed.count(), 1);
        QTEST(service.servers().value(0).appName.value_or(QString()), "nameBefore");
        processes->folders.insert(7, root.filePath("proj"));
        if (manifestAfter != manifestBefore)
            QVERIFY(manifestAfter.isEmpty() ? QFile::remove(manifest) : write(manifest, manifestAfter));
        service.refresh();
        QTRY_COMPARE(refreshed.count(), 2);
        QTEST(service.servers().value(0).appName.value_or(QString()), "nameAfter");
        QTEST(processes->folderLookups, "folderLookups");
    }

    // Random lsof-like output never crashes the parser and yields unique rows sorted by port.
    void fuzzParser() {
        const int iterations = std::max(qEnvironmentVariableIntValue("TAVIMOR_FUZZ_ITERATIONS"), 20000);
        QRandomGenerator random(20261206);
        const QString alphabet = QStringLiteral("pcnf0123456789:*[]-+. \n\x7f\u00e9\U0001F600abcx");
        for (int i = 0; i < iterations; ++i) {
            QString input;
            const int length = random.bounded(80);
            for (int c = 0; c < length; ++c)
                input += random.bounded(4) == 0 ? QStringLiteral("\nn*:")
                                                : QString(alphabet.at(random.bounded(alphabet.size())));
            const auto servers = LocalServersService::parse(input);
            QSet<QString> ids;
            for (qsizetype n = 0; n < servers.size(); ++n) {
                QVERIFY(n == 0 || servers.at(n - 1).port <= servers.at(n).port);
                ids.insert(servers.at(n).id());
            }
            QCOMPARE(ids.size(), servers.size());
        }
    }
};

QTEST_GUILESS_MAIN(UtilityServicesTest)
#include "tst_UtilityServices.moc"
