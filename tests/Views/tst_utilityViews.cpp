#include "FakeBluetooth.h"
#include "FakeInhibitor.h"
#include "FakeProcessTable.h"
#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"
#include "Widgets/CaffeinateWidget.h"
#include "Widgets/DeviceBatteryWidget.h"
#include "Widgets/LocalServersWidget.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

// The keep-awake, servers and devices cards load without a QML warning in both appearances and show what
// their models decide.
class UtilityViewsTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    QQmlEngine engine;
    std::vector<std::unique_ptr<QQuickWindow>> windows;

    QQuickItem* load(NotchWidget& widget) {
        QQmlComponent component(&engine, widget.expandedBody());
        auto* item = qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{"model", QVariant::fromValue<QObject*>(&widget)}}));
        if (!item)
            qWarning() << component.errors();
        windows.push_back(std::make_unique<QQuickWindow>());
        windows.back()->resize(780, 250);
        item->setParent(windows.back().get());
        item->setParentItem(windows.back()->contentItem());
        item->setSize({780, 250});
        windows.back()->show();
        return item;
    }

    static QQuickItem* visibleItem(QQuickItem* root, const QString& name) {
        QList<QQuickItem*> pending = root->childItems();
        while (!pending.isEmpty()) {
            QQuickItem* item = pending.takeLast();
            if (item->isVisible() && item->objectName() == name)
                return item;
            pending += item->childItems();
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        connect(&engine, &QQmlEngine::warnings, this, [](const QList<QQmlError>& w) { qWarning() << w; });
    }
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    void cards_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("liquid") << "liquid";
        QTest::newRow("dark") << "dark";
    }

    void cards() {
        QFETCH(QString, mode);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), mode);
        auto system = std::make_shared<FakeInhibitor>(), display = std::make_shared<FakeInhibitor>();
        CaffeinateWidget caffeinate(CaffeinateLocks{system, display, std::make_shared<FakeInhibitor>(), {}},
                                    nullptr);
        QQuickItem* card = load(caffeinate);
        QVERIFY(!visibleItem(card, "stopButton"));
        caffeinate.service()->activateFor(1800);
        display->answer(true);
        system->answer(true);
        QTRY_VERIFY(visibleItem(card, "stopButton"));

        auto processes = std::make_shared<FakeProcessTable>();
        processes->sockets = "p4242\ncnode\nn*:3000\n";
        LocalServersWidget servers(processes);
        QQuickItem* serversCard = load(servers);
        QTRY_VERIFY(visibleItem(serversCard, "serverRow") && !visibleItem(serversCard, "emptyText"));

        FakeBluetooth bluetooth;
        bluetooth.deviceList = {{"AA:00", "Headset", "audio-headset", true, true, 150}};
        DeviceBatteryWidget devices({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                    &bluetooth);
        QQuickItem* devicesCard = load(devices);
        QTRY_VERIFY(visibleItem(devicesCard, "levelFill"));
        const QQuickItem* fill = visibleItem(devicesCard, "levelFill");
        QCOMPARE(fill->width(), fill->parentItem()->width()); // a level above 100 stays inside its track
        QVERIFY(visibleItem(devicesCard, "connectButton"));
        windows.clear(); // before the models go
    }
};

QTEST_MAIN(UtilityViewsTest)
#include "tst_utilityViews.moc"
