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

#include <QQmlComponent>
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
    static constexpr QSize panelBody{496, 218};

    // A window showing `view` over `model`; declared after the model, it goes first.
    std::unique_ptr<QQuickWindow> show(const QUrl& view, QObject* model, QSize size = {780, 400}) {
        auto window = std::make_unique<QQuickWindow>();
        window->resize(size);
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

    // A tooltip opens below its item and stays 6 px inside the panel it belongs to (a 520-wide panel in the
    // middle of a screen-wide window), or inside the window when it belongs to no panel: at the panel's
    // right edge it is pulled in, at its bottom it opens above, and a text wider than the panel wraps.
    void toolTipsStayInside_data() {
        QTest::addColumn<bool>("onPanel");
        QTest::addColumn<QPointF>("itemAt");
        QTest::addColumn<int>("words");
        QTest::newRow("panel, right edge") << true << QPointF(870, 60) << 8;
        QTest::newRow("panel, left edge") << true << QPointF(382, 60) << 8;
        QTest::newRow("panel, bottom") << true << QPointF(600, 285) << 3;
        QTest::newRow("panel, too long for it") << true << QPointF(600, 60) << 40;
        QTest::newRow("window, right edge") << false << QPointF(1260, 60) << 8;
    }

    void toolTipsStayInside() {
        QFETCH(bool, onPanel);
        QFETCH(QPointF, itemAt);
        QFETCH(int, words);
        QQmlComponent component(&engine);
        component.setData(R"(import QtQuick
            import "qrc:/Views"
            Window {
                property alias tip: tip
                property alias panel: panel
                property alias item: item
                width: 1280; height: 340; color: "black"
                Item { id: panel; x: 380; width: 520; height: 300; property bool keepsToolTipsInside: true }
                Rectangle { id: item; width: 20; height: 14; PlainToolTip { id: tip; delay: 0 } }
            })",
                          QUrl());
        std::unique_ptr<QObject> root(component.create());
        auto* window = qobject_cast<QQuickWindow*>(root.get());
        QVERIFY2(window, qPrintable(component.errorString()));
        auto* item = root->property("item").value<QQuickItem*>();
        auto* panel = root->property("panel").value<QQuickItem*>();
        item->setParentItem(onPanel ? panel : window->contentItem());
        item->setPosition(item->parentItem()->mapFromScene(itemAt));
        QObject* tip = root->property("tip").value<QObject*>();
        tip->setProperty("text", QStringList(words, QStringLiteral("Dormir")).join(u' '));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        tip->setProperty("shown", true);
        QTRY_VERIFY(tip->property("opened").toBool());
        auto* tipItem = qvariant_cast<QQuickItem*>(tip->property("background"))->parentItem();
        const QRectF tipRect = tipItem->mapRectToScene(QRectF(0, 0, tipItem->width(), tipItem->height()));
        const QRectF area = onPanel ? QRectF(380, 0, 520, 300) : QRectF(0, 0, 1280, 340);
        QVERIFY2(area.marginsRemoved(QMarginsF(6, 6, 6, 6)).contains(tipRect),
                 qPrintable(QStringLiteral("tooltip at %1,%2 %3×%4")
                                .arg(tipRect.x())
                                .arg(tipRect.y())
                                .arg(tipRect.width())
                                .arg(tipRect.height())));
        const QRectF itemRect = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
        QVERIFY(!tipRect.intersects(itemRect)); // below or above it, never over it
    }

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

    // Text longer than the field scrolls inside its frame: outside the frame the window is drawn as with one
    // short line, in both looks. (The window is the size of the open panel's body.)
    void noteFieldKeepsItsTextInside_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("text");
        QStringList lines;
        for (int i = 1; i <= 16; ++i)
            lines << QStringLiteral("Linha %1 da nota").arg(i);
        QString pasted;
        while (pasted.size() < 99 * 1024)
            pasted += QStringLiteral("Um trecho longo colado de outro lugar, sem quebra de linha alguma. ");
        for (const char* mode : {"liquid", "dark"}) {
            QTest::addRow("16 lines, %s", mode) << mode << lines.join(u'\n');
            QTest::addRow("99 kB, %s", mode) << mode << pasted.left(99 * 1024);
        }
    }
    void noteFieldKeepsItsTextInside() {
        QFETCH(QString, mode);
        QFETCH(QString, text);
        preferences.setValue("tavimor.appearanceMode", mode);
        InMemoryPreferences drafts;
        NotesWidget notes(drafts, folder.filePath("Notes"));
        notes.service()->setDraft(QStringLiteral("x"));
        const auto window = show(notes.expandedBody(), &notes, panelBody);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QImage oneLine = window->grabWindow();
        notes.service()->setDraft(text);
        QCOMPARE(visibleItem(*window, "noteField")->property("text").toString(), text);
        const QImage full = window->grabWindow();
        const QQuickItem* frame = visibleItem(*window, "noteFrame");
        const QRect inside =
            frame->mapRectToScene(QRectF(0, 0, frame->width(), frame->height())).toAlignedRect();
        int drawnOutside = 0;
        for (int y = 0; y < full.height(); ++y)
            for (int x = 0; x < full.width(); ++x)
                drawnOutside += !inside.contains(x, y) && full.pixel(x, y) != oneLine.pixel(x, y);
        QCOMPARE(drawnOutside, 0);
        QCOMPARE(ItemTreeCheck::unhintedFlickables(window->contentItem()), QStringList());
    }

    // Typing keeps the caret in view, at the end of a long note and back at its start; typing past the
    // draft's limit keeps all that was there and the start of what was typed.
    void noteFieldFollowsTheCaret() {
        InMemoryPreferences drafts;
        NotesWidget notes(drafts, folder.filePath("Notes"));
        notes.service()->setDraft(QStringList(16, QStringLiteral("linha")).join(u'\n'));
        const auto window = show(notes.expandedBody(), &notes, panelBody);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QQuickItem* field = visibleItem(*window, "noteField");
        const QQuickItem* scroll = visibleItem(*window, "noteScroll");
        field->forceActiveFocus();
        const auto caretShown = [&] {
            const QRectF caret = field->property("cursorRectangle").toRectF();
            const double top = scroll->property("contentY").toDouble();
            return caret.top() >= top && caret.bottom() <= top + scroll->height();
        };
        QTest::keyClick(window.get(), Qt::Key_End, Qt::ControlModifier);
        for (const char key : {'f', 'i', 'm'})
            QTest::keyClick(window.get(), key);
        QVERIFY(scroll->property("contentY").toDouble() > 0 && caretShown());
        QTest::keyClick(window.get(), Qt::Key_Home, Qt::ControlModifier);
        QVERIFY(scroll->property("contentY").toDouble() == 0 && caretShown());

        const QString almostFull = QStringLiteral("linha\n")
                                       .repeated(NotesService::maxDraftLength / 6)
                                       .leftJustified(NotesService::maxDraftLength - 2, u'a');
        notes.service()->setDraft(almostFull);
        field->setProperty("cursorPosition", 10);
        for (const char key : {'b', 'c', 'd'})
            QTest::keyClick(window.get(), key);
        const QString kept = almostFull.left(10) + "bc" + almostFull.mid(10);
        QCOMPARE(field->property("text").toString(), kept);
        QCOMPARE(notes.service()->draft(), kept);
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
            QVERIFY(!visibleItem(*devicesCard, "placeholderText"));

            FakeBluetooth noRadio; // and no battery: the empty text, and a switch that takes no tap
            noRadio.presenceNow = BluetoothPresence::Absent;
            DeviceBatteryWidget bare({[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
                                     &noRadio);
            const auto bareCard = show(bare.expandedBody(), &bare);
            QVERIFY(QTest::qWaitForWindowExposed(bareCard.get()));
            QTRY_COMPARE(visibleItem(*bareCard, "placeholderText")->property("text").toString(),
                         "Nenhum dispositivo encontrado.");
            const QQuickItem* radioSwitch = visibleItem(*bareCard, "radioSwitch");
            QTest::mouseClick(bareCard.get(), Qt::LeftButton, {},
                              radioSwitch->mapToScene(radioSwitch->boundingRect().center()).toPoint());
            QVERIFY(noRadio.requests.isEmpty());
        }
    }
};

QTEST_MAIN(TestFeatureViews)
#include "tst_feature_views.moc"
