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

    // Loads a body into a 780×250 window; null (with the errors reported) when it fails or warns.
    std::unique_ptr<QQuickItem> load(QQmlEngine& engine, QQuickWindow& window, const QUrl& body,
                                     QObject* model) {
        QList<QQmlError> warnings;
        connect(&engine, &QQmlEngine::warnings, this, [&](const QList<QQmlError>& w) { warnings += w; });
        QQmlComponent component(&engine, body);
        std::unique_ptr<QQuickItem> item(qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{"model", QVariant::fromValue(model)}})));
        warnings += component.errors();
        if (item) {
            item->setParentItem(window.contentItem());
            item->setSize({780, 250});
        }
        window.resize(780, 250);
        window.show();
        QTest::qWait(200);
        if (!warnings.isEmpty())
            qWarning() << warnings.constFirst().toString();
        return warnings.isEmpty() ? std::move(item) : nullptr;
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
    void initTestCase() { registerThemeQmlTypes(preferences); }

    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    void cards_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("liquid") << "liquid";
        QTest::newRow("dark") << "dark";
    }

    void cards() {
        QFETCH(QString, mode);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), mode);
        QQmlEngine engine;

        auto system = std::make_shared<FakeInhibitor>(), display = std::make_shared<FakeInhibitor>();
        CaffeinateWidget caffeinate(CaffeinateLocks{system, display, std::make_shared<FakeInhibitor>(), {}},
                                    nullptr);
        QQuickWindow caffeinateWindow;
        auto card = load(engine, caffeinateWindow, caffeinate.expandedBody(), &caffeinate);
        QVERIFY(card);
        QVERIFY(!visibleItem(card.get(), "stopButton"));
        caffeinate.service()->activateFor(1800);
        display->answer(true);
        system->answer(true);
        QTRY_VERIFY(visibleItem(card.get(), "stopButton"));

        auto processes = std::make_shared<FakeProcessTable>();
        processes->sockets = "p4242\ncnode\nn*:3000\n";
        LocalServersWidget servers(processes);
        QQuickWindow serversWindow;
        auto serversCard = load(engine, serversWindow, servers.expandedBody(), &servers);
        QVERIFY(serversCard);
        QTRY_VERIFY(visibleItem(serversCard.get(), "serverRow"));
        QVERIFY(!visibleItem(serversCard.get(), "emptyText"));

        FakeBluetooth bluetooth;
        bluetooth.deviceList = {{"AA:00", "Headset", "audio-headset", true, true, 150}};
        DeviceBatteryWidget devices({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                    &bluetooth);
        QQuickWindow devicesWindow;
        auto devicesCard = load(engine, devicesWindow, devices.expandedBody(), &devices);
        QVERIFY(devicesCard);
        QTRY_VERIFY(visibleItem(devicesCard.get(), "levelFill"));
        const QQuickItem* fill = visibleItem(devicesCard.get(), "levelFill");
        QCOMPARE(fill->width(), fill->parentItem()->width()); // a level above 100 stays inside its track
        QVERIFY(visibleItem(devicesCard.get(), "connectButton"));
    }
};

QTEST_MAIN(UtilityViewsTest)
#include "tst_utilityViews.moc"
