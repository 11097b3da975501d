#include "Core/HealthSettingsModel.h"
#include "Core/ShellQml.h"
#include "FakeBluetooth.h"
#include "FakeClipboard.h"
#include "FakeInhibitor.h"
#include "FakeProcessTable.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "ItemTreeCheck.h"
#include "Models/SettingsStore.h"
#include "Theme/ThemeQml.h"
#include "Widgets/CaffeinateWidget.h"
#include "Widgets/DeviceBatteryWidget.h"
#include "Widgets/LocalServersWidget.h"
#include "Widgets/NotesWidget.h"
#include "Widgets/ShelfWidget.h"
#include "Widgets/SystemWidget.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <sys/stat.h>

// The feature views load over their real view models in both appearances without a QML warning, and the
// keep-awake, servers and devices cards show what their models decide. (The application loads the break
// tab, the overlay and the reminder panels in the X11 test, which fails on any QML warning.)
class TestFeatureViews : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    FakeClipboard clipboard;
    QTemporaryDir folder;
    QQmlEngine engine;

    // A window showing `view` over `model`; declared after the model, it goes first.
    std::unique_ptr<QQuickWindow> show(const QUrl& view, QObject* model) {
        auto window = std::make_unique<QQuickWindow>();
        window->resize(780, 400);
        ItemTreeCheck::placeView(engine, *window, view, {{"model", QVariant::fromValue(model)}});
        window->show();
        return window;
    }

    static QList<QQuickItem*> visibleItems(const QQuickWindow& window, const QString& name) {
        return ItemTreeCheck::visibleItems(window.contentItem(), name);
    }
    static QQuickItem* visibleItem(const QQuickWindow& window, const QString& name) {
        return visibleItems(window, name).value(0);
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        registerShellQmlTypes();
        clipboard.put("copied text");
    }
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    void loadsWithoutWarnings_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("mode");
        for (const char* mode : {"liquid", "dark"}) {
            for (const char* view :
                 {"System/SystemCompactView", "System/SystemExpandedView", "Notes/NotesExpandedView",
                  "Shelf/ShelfExpandedView", "Settings/GeneralSection", "Settings/HealthSection"})
                QTest::addRow("%s %s", view, mode) << view << mode;
        }
    }

    void loadsWithoutWarnings() {
        QFETCH(QString, view);
        QFETCH(QString, mode);
        preferences.setValue("tavimor.appearanceMode", mode);
        preferences.setValue("tavimor.clipboardHistoryEnabled", true);
        SystemWidget system({preferences, &clipboard, QStringLiteral("/proc"), QString()});
        CaffeinateService keepAwake;
        system.setCaffeinateService(&keepAwake);
        system.start();
        system.service()->pollClipboard();
        NotesWidget notes(preferences, folder.filePath("Notes"));
        ShelfWidget shelf(folder.filePath("Shelf"), folder.filePath("Desktop"));
        SettingsStore settings(preferences);
        NotificationCenter notifications;
        HealthSettingsModel health(preferences, notifications);
        QObject* model = view.startsWith(u"System")         ? static_cast<QObject*>(&system)
                         : view.startsWith(u"Notes")        ? static_cast<QObject*>(&notes)
                         : view.startsWith(u"Shelf")        ? static_cast<QObject*>(&shelf)
                         : view.endsWith(u"GeneralSection") ? static_cast<QObject*>(&settings)
                                                            : static_cast<QObject*>(&health);
        const auto window = show(QUrl(QStringLiteral("qrc:/Views/%1.qml").arg(view)), model);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // the health section also follows its settings as they change
        health.setBlinkPosition(QStringLiteral("center"));
        health.setBreakDurationSec(60);
        QTest::qWait(50);
    }

    // A note the inbox refuses stays in the field, also after the tab is shown again, beside the error; once
    // the inbox takes it, the field empties and the error goes.
    void notesFieldKeepsARefusedNote() {
        QTemporaryDir notesFolder;
        const QString inbox = notesFolder.filePath(NotesService::inboxFileName);
        QCOMPARE(mkfifo(QFile::encodeName(inbox), 0600), 0);
        NotesWidget notes(preferences, notesFolder.path());
        const auto capture = [&](const QQuickWindow& window) {
            QQuickItem* button = visibleItem(window, "captureButton");
            QTest::mouseClick(
                const_cast<QQuickWindow*>(&window), Qt::LeftButton, {},
                button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint());
        };
        auto window = show(notes.expandedBody(), &notes);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        visibleItem(*window, "noteField")->setProperty("text", QStringLiteral("an idea"));
        capture(*window);
        QTRY_VERIFY(visibleItem(*window, "noteError"));
        QCOMPARE(visibleItem(*window, "noteField")->property("text").toString(), QStringLiteral("an idea"));

        window.reset();
        window = show(notes.expandedBody(), &notes);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(visibleItem(*window, "noteField")->property("text").toString(), QStringLiteral("an idea"));
        QVERIFY(QFile::remove(inbox));
        capture(*window);
        QTRY_VERIFY(!visibleItem(*window, "noteError"));
        QCOMPARE(visibleItem(*window, "noteField")->property("text").toString(), QString());
    }

    void cards() {
        for (const char* mode : {"liquid", "dark"}) {
            preferences.setValue(QStringLiteral("tavimor.appearanceMode"), mode);
            auto system = std::make_shared<FakeInhibitor>(), display = std::make_shared<FakeInhibitor>();
            CaffeinateWidget caffeinate(
                CaffeinateLocks{system, display, std::make_shared<FakeInhibitor>(), {}}, nullptr);
            const auto card = show(caffeinate.expandedBody(), &caffeinate);
            QVERIFY(!visibleItem(*card, "stopButton"));
            caffeinate.service()->activateFor(1800);
            display->answer(true);
            system->answer(true);
            QTRY_VERIFY(visibleItem(*card, "stopButton"));

            auto processes = std::make_shared<FakeProcessTable>();
            processes->sockets = "p4242\ncnode\nn*:3000\n";
            LocalServersWidget servers(processes);
            const auto serversCard = show(servers.expandedBody(), &servers);
            QTRY_VERIFY(visibleItem(*serversCard, "serverRow") && !visibleItem(*serversCard, "emptyText"));

            FakeBluetooth bluetooth;
            bluetooth.deviceList = {{"AA:00", "Headset", "audio-headset", true, true, 150},
                                    {"AA:01", "Speaker", "", true, false, std::nullopt}};
            DeviceBatteryWidget devices({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                        &bluetooth);
            const auto devicesCard = show(devices.expandedBody(), &devices);
            QTRY_VERIFY(visibleItem(*devicesCard, "levelFill"));
            const QQuickItem* fill = visibleItem(*devicesCard, "levelFill");
            QCOMPARE(fill->width(), fill->parentItem()->width()); // a level above 100 stays inside its track
            QTRY_COMPARE(visibleItems(*devicesCard, "connectButton").size(), 2);
            QCOMPARE(visibleItems(*devicesCard, "levelBar").size(), 1); // the speaker gives no level
        }
    }
};

QTEST_MAIN(TestFeatureViews)
#include "tst_feature_views.moc"
