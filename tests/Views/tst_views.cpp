#include "Core/NotchStateManager.h"
#include "Core/ShellQml.h"
#include "InMemoryPreferences.h"
#include "StubWidget.h"
#include "Theme/TavimorTheme.h"
#include "Theme/ThemeQml.h"
#include "Widgets/WidgetRegistry.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

const QByteArray compactBodyQml = R"(
import QtQuick
Rectangle {
    property var model
    property int taps: 0
    objectName: "compactBody"
    implicitWidth: 40
    implicitHeight: 14
    radius: 3
    color: "#E4FC00"
    TapHandler { onTapped: parent.taps++ }
}
)";

// Like the music player's compact view: fills the centre region but draws only a thin line at its bottom.
const QByteArray centreBodyQml = R"(
import QtQuick
Item {
    property var model
    objectName: "centreBody"
    Rectangle {
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        width: parent.width - 64
        height: 2
        color: "#E4FC00"
    }
}
)";

const QByteArray expandedBodyQml = R"(
import QtQuick
Rectangle {
    required property var model
    objectName: "expandedBody"
    radius: 8
    color: "#3050a0"
    Text {
        anchors.centerIn: parent
        text: model.icon
        textFormat: Text.PlainText
        color: "white"
    }
}
)";

// A body made for one widget only: it complains when created with any other widget's model.
const QByteArray systemBodyQml = R"(
import QtQuick
Rectangle {
    required property var model
    objectName: "expandedBody"
    color: "#305030"
    Component.onCompleted: if (model.icon !== "cpu") console.warn("system body created with another model")
}
)";

// The window's side of the root view: what the close button and the gear call.
class FakePanelActions : public QObject {
    Q_OBJECT
public:
    explicit FakePanelActions(NotchStateManager& stateManager)
        : stateManager(stateManager) {}
    Q_INVOKABLE void closePanel() {
        ++closeCount;
        stateManager.close();
    }
    Q_INVOKABLE void openSettings() { ++settingsCount; }

    NotchStateManager& stateManager;
    int closeCount = 0;
    int settingsCount = 0;
};

constexpr int screenWidth = 1512;
constexpr int panelHeight = 340;
constexpr qreal notchWidth = 200;
constexpr qreal notchHeight = 32;
const QColor desktop(0x80, 0x80, 0x80);

} // namespace

class ViewsTest : public QObject {
    Q_OBJECT

private:
    InMemoryPreferences preferences;
    QTemporaryDir bodies;
    QList<QQmlError> qmlWarnings;

    std::unique_ptr<QQmlEngine> engine;
    std::unique_ptr<QQuickWindow> window;
    std::unique_ptr<QQuickItem> root;
    std::unique_ptr<NotchStateManager> stateManager;
    std::unique_ptr<WidgetRegistry> registry;
    std::unique_ptr<FakePanelActions> actions;
    std::vector<std::unique_ptr<StubWidget>> widgets;

    QUrl bodyUrl(const QString& name) const { return QUrl::fromLocalFile(bodies.filePath(name)); }

    StubWidget* addWidget(const QString& id, WidgetGroup group, bool withBodies) {
        widgets.push_back(std::make_unique<StubWidget>(id, int(widgets.size()), group));
        StubWidget* widget = widgets.back().get();
        if (withBodies)
            widget->setBodies(bodyUrl(QStringLiteral("Compact.qml")),
                              bodyUrl(QStringLiteral("Expanded.qml")));
        registry->registerWidget(widget);
        return widget;
    }

    void addUsualWidgets() {
        addWidget(QStringLiteral("daily"), WidgetGroup::DiaADia, true)->setIcon(QStringLiteral("calendar"));
        StubWidget* music = addWidget(QStringLiteral("music"), WidgetGroup::DiaADia, true);
        music->setIcon(QStringLiteral("music.note"));
        music->setBodies(bodyUrl(QStringLiteral("Centre.qml")), bodyUrl(QStringLiteral("Expanded.qml")));
        music->setHasCompactContent(true);
        StubWidget* system = addWidget(QStringLiteral("system"), WidgetGroup::DiaADia, true);
        system->setIcon(QStringLiteral("cpu"));
        system->setBodies(bodyUrl(QStringLiteral("Compact.qml")), bodyUrl(QStringLiteral("System.qml")));
        addWidget(QStringLiteral("shelf"), WidgetGroup::Shelf, false)->setIcon(QStringLiteral("tray.full"));
        addWidget(QStringLiteral("usage"), WidgetGroup::Ai, true)->setIcon(QStringLiteral("sparkles"));
        addWidget(QStringLiteral("caffeinate"), WidgetGroup::Caffeinate, false)
            ->setIcon(QStringLiteral("cup.and.saucer"));
    }

    void loadRoot() {
        QQmlComponent component(engine.get(), QUrl(QStringLiteral("qrc:/Views/NotchContentView.qml")));
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));
        QObject* created = component.createWithInitialProperties({
            {QStringLiteral("stateManager"), QVariant::fromValue<QObject*>(stateManager.get())},
            {QStringLiteral("registry"), QVariant::fromValue<QObject*>(registry.get())},
            {QStringLiteral("notchWidth"), notchWidth},
            {QStringLiteral("notchHeight"), notchHeight},
            {QStringLiteral("panelActions"), QVariant::fromValue<QObject*>(actions.get())},
        });
        qmlWarnings.append(component.errors());
        root.reset(qobject_cast<QQuickItem*>(created));
        QVERIFY2(root, qPrintable(component.errorString()));
        root->setParentItem(window->contentItem());
        root->setSize(window->size());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // Lets the springs settle (the slowest takes a little over half a second).
    void settle() { QTest::qWait(800); }

    QImage grab(const char* state) {
        const QImage image = window->grabWindow();
        const QString shots = qEnvironmentVariable("TAVIMOR_VIEW_SHOTS");
        if (!shots.isEmpty()) {
            const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
            image.save(QStringLiteral("%1/%2-%3.png").arg(shots, tag, QString::fromLatin1(state)));
        }
        return image;
    }

    QPoint centreOf(const QQuickItem* item) const {
        return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    }

    // Visible items of the scene with that object name (delegates are not QObject children, so walk the
    // visual tree).
    static void collectNamed(QQuickItem* item, const QString& name, QList<QQuickItem*>& found) {
        if (!item->isVisible())
            return;
        if (item->objectName() == name)
            found.append(item);
        for (QQuickItem* child : item->childItems())
            collectNamed(child, name, found);
    }

    QList<QQuickItem*> itemsNamed(const QString& name) const {
        QList<QQuickItem*> found;
        collectNamed(root.get(), name, found);
        return found;
    }

    QQuickItem* onlyItemNamed(const QString& name) const {
        const QList<QQuickItem*> found = itemsNamed(name);
        return found.size() == 1 ? found.first() : nullptr;
    }

    static bool near(QColor actual, QColor expected) {
        return qAbs(actual.red() - expected.red()) < 8 && qAbs(actual.green() - expected.green()) < 8 &&
               qAbs(actual.blue() - expected.blue()) < 8;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(bodies.isValid());
        for (const auto& [name, text] : {std::pair{"Compact.qml", compactBodyQml},
                                         {"Centre.qml", centreBodyQml},
                                         {"Expanded.qml", expandedBodyQml},
                                         {"System.qml", systemBodyQml}}) {
            QFile file(bodies.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        registerThemeQmlTypes(preferences);
        registerShellQmlTypes();
    }

    void init() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        qmlWarnings.clear();
        engine = std::make_unique<QQmlEngine>();
        connect(engine.get(), &QQmlEngine::warnings, this,
                [this](const QList<QQmlError>& warnings) { qmlWarnings.append(warnings); });
        window = std::make_unique<QQuickWindow>();
        window->resize(screenWidth, panelHeight);
        window->setColor(desktop);
        stateManager = std::make_unique<NotchStateManager>();
        registry = std::make_unique<WidgetRegistry>();
        actions = std::make_unique<FakePanelActions>(*stateManager);
    }

    void cleanup() {
        root.reset();
        window.reset();
        engine.reset();
        widgets.clear();
        registry.reset();
        actions.reset();
        stateManager.reset();
        for (const QQmlError& warning : std::as_const(qmlWarnings))
            qWarning().noquote() << "QML:" << warning.toString();
        QVERIFY(qmlWarnings.isEmpty());
    }

    void drawsClosedAndOpen_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("withWidgets");
        QTest::newRow("dark") << QStringLiteral("dark") << true;
        QTest::newRow("liquid") << QStringLiteral("liquid") << true;
        QTest::newRow("other mode") << QStringLiteral("Liquid") << true;
        QTest::newRow("dark without widgets") << QStringLiteral("dark") << false;
        QTest::newRow("liquid without widgets") << QStringLiteral("liquid") << false;
    }

    void drawsClosedAndOpen() {
        QFETCH(QString, mode);
        QFETCH(bool, withWidgets);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), mode);
        if (withWidgets)
            addUsualWidgets();
        loadRoot();
        if (QTest::currentTestFailed())
            return;
        settle();
        const bool liquid = mode == QStringLiteral("liquid");
        const QColor outlineFill = liquid ? QColor(Qt::black) : TavimorTheme::background();

        QImage closed = grab("closed");
        QVERIFY(near(closed.pixelColor(screenWidth / 2, 20), outlineFill));
        QVERIFY(near(closed.pixelColor(screenWidth / 2 - 95, 35), outlineFill)); // inside the 38-high outline
        QVERIFY(near(closed.pixelColor(screenWidth / 2, 45), desktop));          // below it
        QVERIFY(near(closed.pixelColor(screenWidth / 2 - 110, 10), desktop));    // beside it
        QVERIFY(itemsNamed(QStringLiteral("expandedBody")).isEmpty());
        // Left: daily (shelf and caffeinate draw nothing); right: system, usage. Packed 12 px short of the
        // centre region (notch + 2 x 32 while music plays), resting on the notch's lower edge.
        QVariantList rects = root->property("compactItemRects").toList();
        QCOMPARE(rects.size(), withWidgets ? 3 : 0);
        if (withWidgets) {
            QCOMPARE(rects.first().toRectF(), QRectF(screenWidth / 2 - 132 - 12 - 40, 18, 40, 14));
            QCOMPARE(rects.at(1).toRectF(), QRectF(screenWidth / 2 + 132 + 12, 18, 40, 14));
        }

        stateManager->open();
        settle();
        QImage open = grab("open");
        const QColor openFill = liquid ? desktop : TavimorTheme::background();
        QVERIFY(near(open.pixelColor(screenWidth / 2 - 250, 290), openFill));
        QVERIFY(near(open.pixelColor(screenWidth / 2 - 270, 100), desktop)); // outside the 520-wide panel
        QCOMPARE(itemsNamed(QStringLiteral("expandedBody")).size(), withWidgets ? 1 : 0);
        QVERIFY(itemsNamed(QStringLiteral("centreBody")).isEmpty());
        rects = root->property("compactItemRects").toList();
        if (withWidgets) // no music in the centre while open: the margin drops to 6
            QCOMPARE(rects.first().toRectF(), QRectF(screenWidth / 2 - 106 - 12 - 40, 18, 40, 14));

        stateManager->close();
        settle();
        QVERIFY(itemsNamed(QStringLiteral("expandedBody")).isEmpty());
        QVERIFY(near(grab("closed-again").pixelColor(screenWidth / 2, 200), desktop));
    }

    void tabsSwitchTheBodyAndToolsCallTheWindow() {
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), QStringLiteral("liquid"));
        addUsualWidgets();
        loadRoot();
        if (QTest::currentTestFailed())
            return;
        stateManager->open();
        settle();
        QList<QQuickItem*> expanded = itemsNamed(QStringLiteral("expandedBody"));
        QCOMPARE(expanded.size(), 1);
        QCOMPARE(expanded.first()->property("model").value<QObject*>(), widgets.front().get()); // daily first

        QQuickItem* systemTab = onlyItemNamed(QStringLiteral("tab:system"));
        QVERIFY(systemTab);
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, centreOf(systemTab));
        QCOMPARE(stateManager->activeWidgetId(), std::optional<QString>(QStringLiteral("system")));
        expanded = itemsNamed(QStringLiteral("expandedBody"));
        QCOMPARE(expanded.size(), 1);
        QCOMPARE(expanded.first()->property("model").value<QObject*>(), widgets.at(2).get());

        QQuickItem* settings = onlyItemNamed(QStringLiteral("settingsButton"));
        QQuickItem* close = onlyItemNamed(QStringLiteral("closeButton"));
        QVERIFY(settings && close);
        QTest::mouseMove(window.get(), centreOf(settings));
        QObject* settingsTip = settings->findChild<QObject*>(QStringLiteral("toolTip"));
        QTRY_VERIFY(settingsTip->property("visible").toBool());
        QCOMPARE(settingsTip->property("text").toString(), QStringLiteral("Configurações"));
        QTest::mouseMove(window.get(), centreOf(close));
        QTest::qWait(800);
        QVERIFY(!close->findChild<QObject*>(QStringLiteral("toolTip"))->property("visible").toBool());

        QTest::mouseClick(window.get(), Qt::LeftButton, {}, centreOf(settings));
        QCOMPARE(actions->settingsCount, 1);
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, centreOf(close));
        QCOMPARE(actions->closeCount, 1);
        QCOMPARE(stateManager->state(), NotchStateManager::State::Closed);
        QVERIFY(itemsNamed(QStringLiteral("expandedBody")).isEmpty()); // removed at once
    }

    // While closed the compact bar's side items take clicks; while open they let them through.
    void compactItemsTakeClicksOnlyWhileClosed() {
        addUsualWidgets();
        loadRoot();
        if (QTest::currentTestFailed())
            return;
        settle();
        QQuickItem* daily = itemsNamed(QStringLiteral("compactBody")).first();
        const QPoint onDaily = centreOf(daily);
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, onDaily);
        QCOMPARE(daily->property("taps").toInt(), 1);

        stateManager->open();
        settle();
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, centreOf(daily));
        QCOMPARE(daily->property("taps").toInt(), 1);
    }
};

QTEST_MAIN(ViewsTest)
#include "tst_views.moc"
