#include "Core/NotchPanelHost.h"
#include "Platform/QtScreens.h"

#include "FakeClock.h"

#include <QSignalSpy>
#include <QTest>

namespace {

class FakeScreens final : public IScreens {
public:
    QList<ScreenInfo> list;
    std::optional<ScreenInfo> main;
    QList<ScreenInfo> screens() const override { return list; }
    std::optional<ScreenInfo> mainScreen() const override { return main; }
};

struct WindowLog {
    int created = 0;
    int orderedOut = 0;
    int makeKey = 0;
    int resignKey = 0;
};

class FakePanelWindow final : public IPanelWindow {
public:
    FakePanelWindow(PanelWindowSpec spec, WindowLog& log)
        : spec(std::move(spec))
        , log(log) {}
    QRectF frame() const override { return spec.frame; }
    void show() override { shown = true; }
    void orderOut() override { ++log.orderedOut; }
    void setExpanded(bool value) override { expanded = value; }
    bool isKey() const override { return key; }
    void makeKey() override {
        ++log.makeKey;
        key = true;
    }
    void resignKey() override {
        ++log.resignKey;
        key = false;
    }

    PanelWindowSpec spec;
    WindowLog& log;
    bool shown = false;
    bool expanded = false;
    bool key = false;
};

class FakeWindowFactory final : public IPanelWindowFactory {
public:
    std::unique_ptr<IPanelWindow> create(PanelWindowSpec spec) override {
        ++log.created;
        auto window = std::make_unique<FakePanelWindow>(std::move(spec), log);
        last = window.get();
        return window;
    }
    WindowLog log;
    FakePanelWindow* last = nullptr;
};

const ScreenInfo primary =
    QtScreens::describe(QStringLiteral("primary"), QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080), 1, true);
// Hover zone of the primary screen: (836, -12, 248, 56); keep-open zone: (660, 0, 600, 340).
const QPointF onNotch(960, 10);
const QPointF inKeepOpenZone(700, 300);
const QPointF outside(100, 500);

} // namespace

class TestNotchPanelHost : public QObject {
    Q_OBJECT

    struct Fixture {
        NotchStateManager stateManager;
        WidgetRegistry registry;
        FakeScreens screens;
        FakeScheduler scheduler;
        FakeWindowFactory factory;
        QPointF pointer = outside;
        int settingsOpened = 0;
        std::unique_ptr<NotchPanelHost> host;

        Fixture() {
            screens.list = {primary};
            screens.main = primary;
            host = std::make_unique<NotchPanelHost>(NotchPanelHost::Dependencies{
                stateManager, registry, screens, scheduler, factory, [this] { return pointer; },
                NotchHardwareProfile::forModel(QStringLiteral("unknown")), [this] { ++settingsOpened; }});
            host->setupPanel();
        }
        FakePanelWindow& window() { return *factory.last; }
        void moveTo(QPointF position) {
            pointer = position;
            window().spec.handlers.pointerMoved(position);
        }
        void open() {
            moveTo(onNotch);
            QVERIFY(stateManager.isOpen());
        }
    };

private Q_SLOTS:
    void setupBuildsTheBandWithTheViewContract() {
        Fixture f;
        QCOMPARE(f.factory.log.created, 1);
        QVERIFY(f.window().shown);
        QCOMPARE(f.window().spec.frame, QRectF(0, 0, 1920, 340));
        QCOMPARE(f.window().spec.hoverZone, QRectF(836, -12, 248, 56));
        QCOMPARE(f.window().spec.rootUrl, QUrl("qrc:/Views/NotchContentView.qml"));
        const QVariantMap& props = f.window().spec.initialProperties;
        QCOMPARE(props.value("notchWidth").toDouble(), 200.0);
        QCOMPARE(props.value("notchHeight").toDouble(), 32.0);
        QCOMPARE(props.value("stateManager").value<QObject*>(), &f.stateManager);
        QCOMPARE(props.value("registry").value<QObject*>(), &f.registry);
        QCOMPARE(props.value("panelActions").value<QObject*>(), f.host->panelActions());

        f.host->setupPanel();
        QCOMPARE(f.factory.log.orderedOut, 1);
        QCOMPARE(f.factory.log.created, 2);

        f.screens.list.clear();
        f.screens.main.reset();
        f.host->setupPanel();
        QVERIFY(!f.host->hasPanel());
        QCOMPARE(f.factory.log.created, 2);
    }

    void profileLinePrintsDoublesWithAFraction() {
        QCOMPARE(NotchPanelHost::profileLine("Mac17,3", 200, 32, 6),
                 QStringLiteral("Tavimor notch profile: Mac17,3, width=200.0, height=32.0, drop=6.0"));
        QCOMPARE(NotchPanelHost::profileLine("unknown", 201.5, 32, 0.1),
                 QStringLiteral("Tavimor notch profile: unknown, width=201.5, height=32.0, drop=0.1"));
    }

    void opensOnlyInsideTheHoverZone() {
        Fixture f;
        QSignalSpy expanded(f.host.get(), &NotchPanelHost::isExpandedChanged);
        f.moveTo(QPointF(835, 10)); // just left of the hover zone
        f.moveTo(QPointF(960, 44)); // on its bottom edge, which is outside
        f.moveTo(inKeepOpenZone);   // the keep-open zone alone never opens
        QVERIFY(!f.stateManager.isOpen());
        QCOMPARE(expanded.count(), 0);

        f.moveTo(QPointF(836, -12));
        QVERIFY(f.stateManager.isOpen());
        QVERIFY(f.host->isExpanded());
        QVERIFY(f.window().expanded);
        QCOMPARE(f.factory.log.makeKey, 1);
        QCOMPARE(expanded.count(), 1);
    }

    void keepOpenZoneCancelsThePendingClose() {
        Fixture f;
        f.open();
        f.moveTo(outside);
        QVERIFY(f.host->hasPendingClose());
        f.moveTo(inKeepOpenZone);
        QVERIFY(!f.host->hasPendingClose());
        f.scheduler.advance(1000);
        QVERIFY(f.stateManager.isOpen());
    }

    void leavingClosesAfterTheDelayAndComingBackKeepsItOpen() {
        Fixture f;
        f.open();
        f.window().spec.handlers.pointerLeft();
        f.scheduler.advance(449);
        QVERIFY(f.stateManager.isOpen());
        f.pointer = inKeepOpenZone; // back before the close runs, without an event
        f.scheduler.advance(1);
        QVERIFY(f.stateManager.isOpen());
        QVERIFY(f.host->isExpanded());

        f.window().spec.handlers.pointerLeft();
        f.pointer = outside;
        f.scheduler.advance(450);
        QVERIFY(!f.stateManager.isOpen());
        QVERIFY(!f.host->isExpanded());
        QVERIFY(!f.window().expanded);
        QCOMPARE(f.factory.log.resignKey, 1);
    }

    void onePendingCloseKeepsItsFirstTime() {
        Fixture f;
        f.open();
        f.moveTo(outside);
        f.scheduler.advance(300);
        f.moveTo(QPointF(100, 600));
        f.window().spec.handlers.pointerLeft();
        QCOMPARE(f.scheduler.pendingCount(), 1);
        f.scheduler.advance(150);
        QVERIFY(!f.stateManager.isOpen());
        QCOMPARE(f.scheduler.pendingCount(), 0);
    }

    // Out, back in the keep-open zone (cancels), out again: a fresh close counts from the second exit.
    void returningCancelsAndTheNextExitSchedulesAfresh() {
        Fixture f;
        f.open();
        f.moveTo(outside);
        f.scheduler.advance(200);
        f.moveTo(inKeepOpenZone);
        f.scheduler.advance(100);
        f.moveTo(outside);
        f.scheduler.advance(449);
        QVERIFY(f.stateManager.isOpen());
        f.scheduler.advance(1);
        QVERIFY(!f.stateManager.isOpen());
    }

    // Out, back and out again between two handled events: the one pending close reads the pointer once, at
    // its first scheduled time.
    void pendingCloseIsJudgedAtItsScheduledTime() {
        Fixture f;
        f.open();
        f.moveTo(outside); // close due at 450
        f.scheduler.advance(100);
        f.pointer = QPointF(1250, 100); // comes back without an event reaching the handler
        f.scheduler.advance(100);
        f.pointer = QPointF(1300, 100); // leaves again: still the first close, due at 450
        f.scheduler.advance(250);
        QVERIFY(!f.stateManager.isOpen());
    }

    void fileDragOpensOnTheShelfWithoutKey() {
        Fixture f;
        const auto& drag = f.window().spec.handlers.dragMoved;
        drag(onNotch, false); // text-only drag
        drag(outside, true);  // files, but far from the notch
        QVERIFY(!f.stateManager.isOpen());

        drag(onNotch, true);
        QVERIFY(f.stateManager.isOpen());
        QCOMPARE(f.stateManager.activeWidgetId(), std::optional<QString>("shelf"));
        QVERIFY(f.host->isExpanded());
        QCOMPARE(f.factory.log.makeKey, 0);
    }

    void dragOverAnOpenPanelChangesNothing() {
        Fixture f;
        f.open();
        f.stateManager.setActiveWidgetId(QStringLiteral("music"));
        f.window().spec.handlers.dragMoved(onNotch, true);
        QCOMPARE(f.stateManager.activeWidgetId(), std::optional<QString>("music"));
    }

    void dragLeavingAnOpenPanelClosesItAfterTheDelay() {
        Fixture f;
        f.window().spec.handlers.dragMoved(onNotch, true);
        f.window().spec.handlers.dragLeft();
        f.scheduler.advance(450);
        QVERIFY(!f.stateManager.isOpen());
    }

    void closeButtonRunsTheDelayedCloseAtOnce() {
        Fixture f;
        f.open();
        f.moveTo(outside);
        QVERIFY(f.host->hasPendingClose());

        f.host->panelActions()->closePanel();
        QVERIFY(!f.stateManager.isOpen());
        QVERIFY(!f.host->isExpanded());
        QVERIFY(!f.window().expanded); // the input region shrinks back to the notch
        QVERIFY(!f.host->hasPendingClose());
        QCOMPARE(f.factory.log.resignKey, 1);

        f.host->panelActions()->openSettings();
        QCOMPARE(f.settingsOpened, 1);
    }

    void screenChangeWhileACloseIsPending() {
        Fixture f;
        f.open();
        f.moveTo(outside);
        FakePanelWindow* oldWindow = &f.window();
        // what the application delegate does on a screen change
        f.host->stopHoverMonitor();
        oldWindow->spec.handlers.pointerMoved(onNotch); // a late event from the old window is ignored
        f.host->cancelPendingClose();
        f.stateManager.close();
        f.screens.list = {
            QtScreens::describe("new", QRect(0, 0, 2560, 1440), QRect(0, 0, 2560, 1440), 2, true)};
        f.screens.main = f.screens.list.first();
        f.host->setupPanel();

        QVERIFY(!f.host->hasPendingClose());
        QCOMPARE(f.scheduler.pendingCount(), 0);
        QVERIFY(!f.host->isExpanded());
        QCOMPARE(f.window().spec.frame, QRectF(0, 0, 2560, 340));
        f.moveTo(QPointF(1280, 5));
        QVERIFY(f.stateManager.isOpen());
    }

    void stoppedMonitorsIgnoreEvents() {
        Fixture f;
        f.host->stopHoverMonitor();
        f.host->stopDragMonitor();
        f.moveTo(onNotch);
        f.window().spec.handlers.dragMoved(onNotch, true);
        QVERIFY(!f.stateManager.isOpen());
    }

    void pointerEventCost() {
        Fixture f;
        f.open();
        QBENCHMARK {
            f.host->handleMouseMoved(inKeepOpenZone);
        }
    }
};

QTEST_GUILESS_MAIN(TestNotchPanelHost)
#include "tst_NotchPanelHost.moc"
