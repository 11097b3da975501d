#include "FakeBluetooth.h"
#include "Platform/Power/PowerSupplies.h"
#include "Widgets/DeviceBatteryWidget.h"

#include <QTemporaryDir>
#include <QtTest>

class DeviceBatteryServiceTest : public QObject {
    Q_OBJECT

    static DeviceBattery row(QString name, int percent) {
        DeviceBattery device;
        device.id = "sp-" + name.toLower();
        device.name = name;
        device.percent = percent;
        return device;
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
            QFile file(root.filePath(entry.section('=', 0, 0)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(entry.section('=', 1).toUtf8());
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
        FakeBluetooth bluetooth;
        DeviceBatteryWidget widget({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                   &bluetooth);
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

    // Only devices with a level are listed; two clicks send one request; a failed connect leaves a retry
    // with its text; the radio follows the user while busy and ignores a second switch.
    void connectsAndSwitchesTheRadio() {
        FakeBluetooth bluetooth;
        bluetooth.deviceList = {{"AA:BB:CC:00:00:01", "Headset", "audio-headset", true, false, 55},
                                {"AA:BB:CC:00:00:02", "Mouse", "input-mouse", true, true, 80},
                                {"AA:BB:CC:00:00:03", "Phone", "phone", true, true, std::nullopt}};
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
        QCOMPARE(paired("trailing").toString(), "spinner");
        widget.toggleRadio();
        widget.toggleRadio();
        QVERIFY(!widget.radioOn() && widget.radioBusy());
        QCOMPARE(bluetooth.requests.size(), 2);
    }
};

QTEST_GUILESS_MAIN(DeviceBatteryServiceTest)
#include "tst_DeviceBatteryService.moc"
