#include "Core/NotchPanelHost.h"
#include "Core/ShellQml.h"
#include "FakeWidget.h"
#include "InMemoryPreferences.h"
#include "ItemTreeCheck.h"
#include "Theme/TavimorTheme.h"
#include "Theme/ThemeQml.h"

#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

namespace {

// Bodies the stub widgets show. The system body is made for one widget only: it complains when created
// with any other widget's model. The centre body fills the music player's centre region; its backing spans it
// less 12.
const std::pair<const char*, const char*> bodyFiles[] = {
    {"Compact.qml", R"(Rectangle { property var model; property int taps: 0; objectName: "compactBody"
        implicitWidth: 40; implicitHeight: 14; color: "#E4FC00"; TapHandler { onTapped: parent.taps++ }
        Rectangle { y: -4; width: 40; height: 4 } })"},
    {"Centre.qml", R"(Item { property var model; objectName: "centreBody"
        readonly property Item backing: back; readonly property real backingSideMargins: 12
        Item { id: back; x: 4; y: 2; width: parent.width - 12; height: 24 } })"},
    {"Expanded.qml", R"(Rectangle { required property var model; objectName: "expandedBody"; color: "#3050a0"
        Text { text: model.icon } })"},
    {"System.qml", R"(Rectangle { required property var model; objectName: "expandedBody"
        Component.onCompleted: if (model.icon !== "cpu") console.warn("system body with another model") })"},
};

constexpr int screenWidth = 1512;
const QColor desktop(0x80, 0x80, 0x80);

} // namespace

class ViewsTest : public QObject {
    Q_OBJECT

private:
    InMemoryPreferences preferences;
    QTemporaryDir bodies;

    // Everything one test builds, torn down in reverse order. The close button and the gear call `actions`.
    struct Scene {
        NotchStateManager stateManager;
        int settingsCount = 0;
        PanelActions actions{[this] { stateManager.close(); }, [this] { ++settingsCount; }};
        WidgetSet set;
        QQuickView window;
    };
    std::optional<Scene> scene;

    // Music plays in the centre; shelf and caffeinate have no bodies and draw nothing in the compact bar.
    void addUsualWidgets() {
        const struct {
            const char *id, *icon, *compact, *expanded;
            WidgetGroup group;
        } usual[] = {
            {"daily", "calendar", "Compact.qml", "Expanded.qml", WidgetGroup::DiaADia},
            {"music", "music.note", "Centre.qml", "Expanded.qml", WidgetGroup::DiaADia},
            {"system", "cpu", "Compact.qml", "System.qml", WidgetGroup::DiaADia},
            {"shelf", "tray.full", nullptr, nullptr, WidgetGroup::Shelf},
            {"usage", "sparkles", "Compact.qml", "Expanded.qml", WidgetGroup::Ai},
            {"caffeinate", "cup.and.saucer", nullptr, nullptr, WidgetGroup::Caffeinate},
        };
        for (const auto& entry : usual) {
            FakeWidget* widget = scene->set.add(QString::fromLatin1(entry.id), entry.group);
            widget->setIcon(QString::fromLatin1(entry.icon));
            if (entry.compact)
                widget->setBodies(QUrl::fromLocalFile(bodies.filePath(QString::fromLatin1(entry.compact))),
                                  QUrl::fromLocalFile(bodies.filePath(QString::fromLatin1(entry.expanded))));
        }
        scene->set.widgets.at(1)->setHasCompactContent(true);
    }

    // Creates the root view in the window and lets it settle; false if it failed (the view warns its errors).
    bool loadRoot() {
        scene->window.setInitialProperties({
            {QStringLiteral("stateManager"), QVariant::fromValue<QObject*>(&scene->stateManager)},
            {QStringLiteral("registry"), QVariant::fromValue<QObject*>(&scene->set.registry)},
            {QStringLiteral("notchWidth"), 200},
            {QStringLiteral("notchHeight"), 32},
            {QStringLiteral("panelActions"), QVariant::fromValue<QObject*>(&scene->actions)},
        });
        scene->window.setSource(QUrl(QStringLiteral("qrc:/Views/NotchContentView.qml")));
        if (!root())
            return false;
        scene->window.show();
        const bool exposed = QTest::qWaitForWindowExposed(&scene->window);
        settle();
        return exposed;
    }
    QQuickItem* root() const { return scene->window.rootObject(); }

    // Lets the springs settle (the slowest takes a little over half a second).
    void settle() { QTest::qWait(800); }
    void setOpen(bool open) {
        open ? scene->stateManager.open() : scene->stateManager.close();
        settle();
    }

    void click(const QQuickItem* item) {
        const QPointF centre(item->width() / 2, item->height() / 2);
        QTest::mouseClick(&scene->window, Qt::LeftButton, {}, item->mapToScene(centre).toPoint());
    }

    QList<QQuickItem*> itemsNamed(const QString& name) const {
        return ItemTreeCheck::visibleItems(root(), name);
    }

    QList<QRectF> capsules() const {
        QList<QRectF> rects;
        for (const QVariant& rect : root()->property("compactCapsules").toList())
            rects.append(rect.toRectF());
        return rects;
    }

    static bool near(QColor a, QColor b) {
        return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 24;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(bodies.isValid());
        for (const auto& [name, text] : bodyFiles) {
            QFile file(bodies.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("import QtQuick\n") + text);
        }
        registerThemeQmlTypes(preferences);
        registerShellQmlTypes();
    }

    // The engine's warnings go through the message handler: any of them, even while tearing down, fails.
    void init() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        scene.emplace();
        scene->window.setResizeMode(QQuickView::SizeRootObjectToView);
        scene->window.resize(screenWidth, 340);
        scene->window.setColor(desktop);
    }

    void cleanup() { scene.reset(); }

    // Loads warnings-free in both appearances, closed and open, with and without widgets.
    void drawsClosedAndOpen_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("withWidgets");
        QTest::newRow("dark") << QStringLiteral("dark") << true;
        QTest::newRow("liquid") << QStringLiteral("liquid") << true;
        QTest::newRow("liquid without widgets") << QStringLiteral("liquid") << false;
    }

    void drawsClosedAndOpen() {
        QFETCH(QString, mode);
        QFETCH(bool, withWidgets);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), mode);
        if (withWidgets)
            addUsualWidgets();
        QVERIFY(loadRoot());
        const bool liquid = mode == QStringLiteral("liquid");
        const QImage closed = scene->window.grabWindow();
        QVERIFY(near(closed.pixelColor(screenWidth / 2 - 95, 35),
                     liquid ? Qt::black : TavimorTheme::background()));
        QVERIFY(near(closed.pixelColor(screenWidth / 2, 45), desktop)); // below the 38-high outline
        // Left: daily (shelf and caffeinate draw nothing); right: system, usage. Packed 12 px short of the
        // centre region (notch + 2 x 32 while music plays), resting on the notch's lower edge; each rectangle
        // also covers what its body draws above itself.
        QVariantList rects = root()->property("compactItemRects").toList();
        QCOMPARE(rects.size(), withWidgets ? 3 : 0);
        if (withWidgets)
            QCOMPARE(rects.at(1).toRectF(), QRectF(screenWidth / 2 + 132 + 12, 14, 40, 18));

        setOpen(true);
        const QImage open = scene->window.grabWindow();
        QVERIFY(
            near(open.pixelColor(screenWidth / 2 - 250, 290), liquid ? desktop : TavimorTheme::background()));
        QVERIFY(near(open.pixelColor(screenWidth / 2 - 270, 100), desktop)); // outside the 520-wide panel
        QCOMPARE(itemsNamed(QStringLiteral("expandedBody")).size(), withWidgets ? 1 : 0);
        QVERIFY(itemsNamed(QStringLiteral("centreBody")).isEmpty());
        rects = root()->property("compactItemRects").toList();
        if (withWidgets) // no music in the centre while open: the margin drops to 6
            QCOMPARE(rects.first().toRectF(), QRectF(screenWidth / 2 - 106 - 12 - 40, 14, 40, 18));

        setOpen(false);
        QVERIFY(near(scene->window.grabWindow().pixelColor(screenWidth / 2, 200), desktop));
    }

    // The capsules a window without a compositor is cut to: each side's backing, 6 beyond its items, and the
    // music item's while it shows, where the springs come to rest. They take a new layout at once and keep it
    // while the springs run, so the window's shape changes with the layout, not on an animation's frames.
    void capsulesFollowTheLayoutsTargets() {
        addUsualWidgets();
        QVERIFY(loadRoot());
        const qreal middle = screenWidth / 2;
        // Closed, with music in the centre (notch + 2 x 32): daily on the left, system and usage on the
        // right.
        QCOMPARE(capsules(), (QList<QRectF>{QRectF(middle - 132 - 12 - 40 - 6, 12, 52, 18),
                                            QRectF(middle + 132 + 12 - 6, 12, 100, 18),
                                            QRectF(middle - 132 + 4, 2, 264 - 12, 24)}));
        const QRectF daily = root()->property("compactItemRects").toList().first().toRectF();
        QCOMPARE(capsules().first().left(), daily.left() - 6);

        QSignalSpy changes(root(), SIGNAL(compactCapsulesChanged()));
        scene->stateManager.open();
        const QList<QRectF> open{QRectF(middle - 106 - 12 - 40 - 6, 12, 52, 18),
                                 QRectF(middle + 106 + 12 - 6, 12, 100, 18)};
        QCOMPARE(capsules(), open);
        settle();
        QCOMPARE(capsules(), open);
        QVERIFY2(changes.size() <= 3, qPrintable(QString::number(changes.size()) + " changes"));
    }

    // The compact bar's side items take clicks only while closed. A tab shows its own body (the system body
    // complains if handed another model); the gear and the close button call the window, and closing removes
    // the body at once.
    void clicksReachTheRightItems() {
        addUsualWidgets();
        QVERIFY(loadRoot());
        QQuickItem* daily = itemsNamed(QStringLiteral("compactBody")).first();
        click(daily);
        QCOMPARE(daily->property("taps").toInt(), 1);
        setOpen(true);
        click(daily);
        QCOMPARE(daily->property("taps").toInt(), 1);

        click(itemsNamed(QStringLiteral("tab:system")).value(0));
        QCOMPARE(scene->stateManager.activeWidgetId(), std::optional<QString>(QStringLiteral("system")));
        const QList<QQuickItem*> expanded = itemsNamed(QStringLiteral("expandedBody"));
        QCOMPARE(expanded.size(), 1);
        QCOMPARE(expanded.first()->property("model").value<QObject*>(), scene->set.widgets.at(2).get());

        QQuickItem* settings = itemsNamed(QStringLiteral("settingsButton")).value(0);
        click(settings);
        QCOMPARE(scene->settingsCount, 1);
        click(itemsNamed(QStringLiteral("closeButton")).value(0));
        // Not merely hidden: a hidden body would keep its timers and animations running.
        QTRY_VERIFY(root()->findChildren<QQuickItem*>(QStringLiteral("expandedBody")).isEmpty());
        setOpen(true); // the panel built on the first open is shown again, not built twice
        QCOMPARE(itemsNamed(QStringLiteral("settingsButton")), QList<QQuickItem*>{settings});
    }
};

QTEST_MAIN(ViewsTest)
#include "tst_views.moc"
