#include "FakeBluetooth.h"
#include "Platform/Power/PowerSupplies.h"
#include "Widgets/DeviceBatteryWidget.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Files = QMap<QString, QString>; // "entry/attribute" → content

class DeviceBatteryServiceTest : public QObject {
    Q_OBJECT

    static DeviceBattery row(QString name, int percent) {
        return {QStringLiteral("sp-") + name.toLower(),
                name,
                {},
                percent,
                false,
                std::nullopt,
                std::nullopt,
                true};
    }

private Q_SLOTS:
    // Internal battery and peripherals from a power_supply tree, junk and empty files included.
    void readsPowerSupplies_data() {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("internal"); // "percent charging" or empty
        QTest::addColumn<QStringList>("peripherals");
        QTest::newRow("capacity") << Files{{"BAT0/type", "Battery"},
                                           {"BAT0/capacity", "87\n"},
                                           {"BAT0/status", "Charging"}}
                                  << "87 1" << QStringList{};
        QTest::newRow("energy rounds, limited") << Files{{"BAT1/type", "Battery"},
                                                         {"BAT1/energy_now", "3990"},
                                                         {"BAT1/energy_full", "4000"},
                                                         {"BAT2/type", "Battery"}}
                                                << "100 0" << QStringList{};
        QTest::newRow("over full") << Files{{"BAT0/type", "Battery"},
                                            {"BAT0/charge_now", "5000"},
                                            {"BAT0/charge_full", "4000"}}
                                   << "100 0" << QStringList{};
        QTest::newRow("junk and empty") << Files{{"BAT0/type", "Battery"},
                                                 {"BAT0/capacity", "lots"},
                                                 {"AC/type", "Mains"},
                                                 {"hid-1/scope", "Device"},
                                                 {"hid-1/capacity", ""}}
                                        << "" << QStringList{};
        QTest::newRow("peripherals limited")
            << Files{{"hid-a/scope", "Device"}, {"hid-a/capacity", "120"}, {"hid-a/model_name", "MX Keys"},
                     {"hid-b/scope", "Device"}, {"hid-b/capacity", "-5"},  {"hid-b/status", "Charging"}}
            << "" << QStringList{"MX Keys 100 0", " 0 1"};
    }

    void readsPowerSupplies() {
        QFETCH(Files, files);
        QTemporaryDir root;
        for (auto it = files.begin(); it != files.end(); ++it) {
            QDir(root.path()).mkpath(it.key().section('/', 0, 0));
            QFile file(root.filePath(it.key()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(it.value().toUtf8());
        }
        const SysfsPowerSupplies supplies(root.path());
        const auto internal = supplies.internalBattery();
        QTEST(internal ? QStringLiteral("%1 %2").arg(internal->percent).arg(internal->charging) : QString(),
              "internal");
        QStringList peripherals;
        for (const BatteryReading& reading : supplies.peripherals())
            peripherals << QStringLiteral("%1 %2 %3")
                               .arg(reading.modelName)
                               .arg(reading.percent)
                               .arg(reading.charging);
        QTEST(peripherals, "peripherals");
    }

    // A row takes the address and state of the paired device of the same name, else of one whose name
    // contains or is contained in its own; an empty name never matches.
    void mergesWithPairedDevices_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::newRow("same name after clean-up") << "Team’s AirPods Pro"
                                                  << "aa-01";
        QTest::newRow("contained") << "AirPods Pro"
                                   << "aa-01";
        QTest::newRow("exact beats contained") << "Keys"
                                               << "aa-03";
        QTest::newRow("no match") << "Speaker"
                                  << "";
        QTest::newRow("empty name") << " 's "
                                    << "";
    }

    void mergesWithPairedDevices() {
        QFETCH(QString, name);
        const QList<PairedDeviceInfo> paired{
            {"", "aa-00", true},
            {"Team's AirPods Pro", DeviceBatteryService::pairedAddress("AA:01"), true},
            {"MX Keys", "aa-02", false},
            {"keys", "aa-03", false}};
        QTEST(DeviceBatteryService::merge(row(name, 50), paired).btAddress.value_or(QString()), "address");
    }

    void picksIcons() {
        const std::tuple<const char*, const char*, const char*> cases[] = {
            {"Buds Keyboard", "", "headphones"},   {"AirPods Pro", "", "airpods"},
            {"Desk", "keyboard", "keyboard.fill"}, {"MX Master 3", "", "computermouse.fill"},
            {"Pad", "trackpad", "trackpad.fill"},  {"Speaker", "", "dot.radiowaves.left.and.right"},
            {"Sony", "headphones", "headphones"}};
        for (const auto& [name, minor, icon] : cases)
            QCOMPARE(DeviceBatteryService::icon(name, minor), QString::fromUtf8(icon));
    }

    // Levels: low below 20, the bar never above the track nor below a sliver.
    void drawsLevels_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<bool>("low");
        QTest::addColumn<double>("fraction");
        QTest::newRow("19") << 19 << true << 0.19;
        QTest::newRow("20") << 20 << false << 0.2;
        QTest::newRow("0") << 0 << true << 0.01;
        QTest::newRow("150 from a device") << 150 << false << 1.0;
    }

    void drawsLevels() {
        QFETCH(int, percent);
        FakeBluetooth bluetooth;
        DeviceBatteryWidget widget({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                   &bluetooth);
        const QVariantMap shown = widget.rowFor(row("Mouse", percent));
        QTEST(shown.value("low").toBool(), "low");
        QTEST(shown.value("fraction").toDouble(), "fraction");
        QCOMPARE(shown.value("levelText").toString(), QStringLiteral("%1%").arg(percent));
    }

    // The whole road of a row: listed from BlueZ with its level, connected devices counted in the status, a
    // connect that fails leaves a retry with its text, the retry clears it and shows the spinner; the radio
    // follows the user while busy and ignores a second switch.
    void connectsAndSwitchesTheRadio() {
        FakeBluetooth bluetooth;
        bluetooth.deviceList = {{"AA:BB:CC:00:00:01", "Headset", "audio-headset", true, false, 55},
                                {"AA:BB:CC:00:00:02", "Mouse", "input-mouse", true, true, 80},
                                {"AA:BB:CC:00:00:03", "Phone", "phone", true, true, std::nullopt}};
        DeviceBatteryWidget widget({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                   &bluetooth);
        QSignalSpy rows(&widget, &DeviceBatteryWidget::rowsChanged);
        widget.start();
        QTRY_COMPARE(widget.pairedRows().size(), 1);
        QCOMPARE(widget.connectedRows().value(0).toMap().value("image").toString(), "computermouse.fill");
        QCOMPARE(widget.statusText(), "1 conectados");
        QCOMPARE(widget.pairedRows().value(0).toMap().value("image").toString(), "headphones");

        widget.toggleConnection("sp-headset");
        widget.toggleConnection("sp-headset");
        QCOMPARE(bluetooth.requests.size(), 1);
        QCOMPARE(bluetooth.requests.constFirst().address, "AA:BB:CC:00:00:01");
        QCOMPARE(widget.pairedRows().value(0).toMap().value("trailing").toString(), "spinner");
        bluetooth.answer(false);
        QTRY_COMPARE_WITH_TIMEOUT(widget.pairedRows().value(0).toMap().value("trailing").toString(), "retry",
                                  3000);
        QCOMPARE(widget.pairedRows().value(0).toMap().value("errorText").toString(), "Falha ao conectar");
        widget.toggleConnection("sp-headset");
        QCOMPARE(widget.pairedRows().value(0).toMap().value("trailing").toString(), "spinner");

        widget.toggleRadio();
        widget.toggleRadio();
        QVERIFY(!widget.radioOn() && widget.radioBusy());
        QCOMPARE(widget.statusText(), "Rádio desligado");
        QCOMPARE(bluetooth.requests.size(), 2);
    }
};

QTEST_GUILESS_MAIN(DeviceBatteryServiceTest)
#include "tst_DeviceBatteryService.moc"
