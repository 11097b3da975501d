#include "Core/NotchPanelHost.h"
#include "Platform/Screens/QtScreens.h"

#include "FakeClock.h"
#include "FakePlatform.h"

#include <QTest>

namespace {

// How the pointer gets somewhere: unseen by the host, through a move event, leaving the window, after a
// click on the close button, onto a break that covers the panel, or where it is when a window that held back
// its events (the keyboard lock) goes.
enum Via { Unseen, Moves, Leaves, ClosesWithButton, Covered, Uncovered };
struct Step {
    int waitBefore;
    Via via;
    QPointF to;
};
using Steps = QList<Step>;

void row(const char* name, bool staysOpen, const Steps& steps) {
    QTest::newRow(name) << steps << staysOpen;
}

const ScreenInfo primary =
    QtScreens::describe(QStringLiteral("primary"), QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080), 1, true);
// Hover zone of the primary screen: (836, -12, 248, 56); keep-open zone: (660, 0, 600, 340).
const QPointF onNotch(960, 10);
const QPointF inKeepOpenZone(700, 300);
const QPointF outside(100, 500);

} // namespace

Q_DECLARE_METATYPE(Steps)

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
        struct BackdropRead {
            QRect global;
            QRectF inWindow;
            bool whileOpen;
        };
        QList<BackdropRead> backdropReads;
        std::unique_ptr<NotchPanelHost> host;

        Fixture() {
            screens.list = {primary};
            screens.main = primary;
            NotchPanelHost::Dependencies parts{stateManager,
                                               registry,
                                               screens,
                                               scheduler,
                                               factory,
                                               [this] { return pointer; },
                                               NotchHardwareProfile::forModel(QStringLiteral("unknown")),
                                               [this] { ++settingsOpened; }};
            parts.readBackdrop = [this](const QRect& global, const QRectF& inWindow) {
                backdropReads.append({global, inWindow, stateManager.isOpen()});
            };
            host = std::make_unique<NotchPanelHost>(std::move(parts));
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
    void opensOnlyInsideTheHoverZone() {
        Fixture f;
        f.moveTo(QPointF(835, 10)); // just left of the hover zone
        f.moveTo(QPointF(960, 44)); // on its bottom edge, which is outside
        f.moveTo(inKeepOpenZone);   // the keep-open zone alone never opens
        QVERIFY(!f.stateManager.isOpen());
        f.moveTo(QPointF(836, -12));
        QVERIFY(f.stateManager.isOpen());
        QVERIFY(f.window().expanded);
        QCOMPARE(f.factory.log.makeKey, 1);
    }

    // The close delay is 450 ms; one pending close at a time, judged by where the pointer is when it runs.
    void pendingClose_data() {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<bool>("staysOpen");
        const QPointF out = outside, keep = inKeepOpenZone, far(100, 600), away(1300, 100);
        row("leaving closes after the delay", false, {{0, Leaves, out}, {450, Unseen, out}});
        row("back unseen before it runs", true, {{0, Leaves, out}, {449, Unseen, keep}, {1, Unseen, keep}});
        row("keep-open zone cancels", true, {{0, Moves, out}, {0, Moves, keep}, {1000, Unseen, keep}});
        row("one close keeps its first time", false,
            {{0, Moves, out}, {300, Moves, far}, {0, Leaves, far}, {150, Unseen, far}});
        row("back and out unseen", false,
            {{0, Moves, out}, {100, Unseen, keep}, {100, Unseen, away}, {250, Unseen, away}});
        row("close button runs it at once", false, {{0, Moves, out}, {0, ClosesWithButton, out}});
        row("a break over the panel closes it at once", false, {{0, Leaves, keep}, {0, Covered, keep}});
        row("a covering window goes, the pointer away: closes after the delay", false,
            {{0, Unseen, far}, {0, Uncovered, far}, {450, Unseen, far}});
        row("a covering window goes, the pointer on the panel", true,
            {{0, Unseen, keep}, {0, Uncovered, keep}, {1000, Unseen, keep}});
        const Steps outBackOut{{0, Moves, out}, {200, Moves, keep}, {100, Moves, out}};
        row("fresh close after a return", true, outBackOut + Steps{{449, Unseen, out}});
        row("fresh close runs on time", false, outBackOut + Steps{{450, Unseen, out}});
    }

    void pendingClose() {
        QFETCH(Steps, steps);
        QFETCH(bool, staysOpen);
        Fixture f;
        f.open();
        for (const Step& step : steps) {
            f.scheduler.advance(step.waitBefore);
            f.pointer = step.to;
            if (step.via == Moves)
                f.window().spec.handlers.pointerMoved(step.to);
            else if (step.via == Leaves)
                f.window().spec.handlers.pointerLeft();
            else if (step.via == ClosesWithButton)
                f.host->panelActions()->closePanel();
            else if (step.via == Covered)
                f.host->handleCovered();
            else if (step.via == Uncovered)
                f.host->handleUncovered();
            QVERIFY(f.scheduler.pendingCount() <= 1);
        }
        QCOMPARE(f.stateManager.isOpen(), staysOpen);
        QCOMPARE(f.window().expanded, staysOpen); // what the window's input region follows
        QCOMPARE(f.window().isKey(), staysOpen);
        if (!staysOpen)
            QVERIFY(!f.host->hasPendingClose());
    }

    void fileDragOpensOnTheShelfWithoutKey() {
        Fixture f;
        const auto& drag = f.window().spec.handlers.dragMoved;
        drag(onNotch, false); // text-only drag
        drag(outside, true);  // files, but far from the notch
        QVERIFY(!f.stateManager.isOpen());
        drag(onNotch, true);
        QCOMPARE(f.stateManager.activeWidgetId(), std::optional<QString>("shelf"));
        QVERIFY(f.host->isExpanded());
        QCOMPARE(f.factory.log.makeKey, 0);
        f.stateManager.setActiveWidgetId(QStringLiteral("music"));
        drag(onNotch, true); // over an open panel: changes nothing
        QCOMPARE(f.stateManager.activeWidgetId(), std::optional<QString>("music"));
        f.window().spec.handlers.dragLeft();
        f.scheduler.advance(450);
        QVERIFY(!f.stateManager.isOpen());
    }

    // What the application does on a screen change, while a close is pending: stop, close, rebuild.
    // What lies under the open panel is read once per opening, by the pointer or by a file drag, while the
    // panel is still closed, so the panel's own content is never part of it.
    void readsWhatLiesBeneathBeforeOpening() {
        Fixture f;
        f.open();
        f.moveTo(inKeepOpenZone);
        f.window().spec.handlers.dragMoved(onNotch, true);
        QCOMPARE(f.backdropReads.size(), 1);
        f.host->handleCovered();
        f.window().spec.handlers.dragMoved(onNotch, true);
        QVERIFY(f.stateManager.isOpen());
        QCOMPARE(f.backdropReads.size(), 2);
        for (const auto& read : std::as_const(f.backdropReads)) {
            QCOMPARE(read.global, QRect(700, 0, 520, 300));
            QCOMPARE(read.inWindow, QRectF(700, 0, 520, 300));
            QVERIFY(!read.whileOpen);
        }
    }

    void screenChangeRebuildsTheBand() {
        Fixture f;
        QVERIFY(f.window().shown);
        QCOMPARE(f.window().spec.frame, QRectF(0, 0, 1920, 340));
        f.open();
        f.moveTo(outside);
        f.host->stopHoverMonitor();
        f.host->stopDragMonitor();
        f.host->cancelPendingClose();
        f.stateManager.close();
        f.window().spec.handlers.pointerMoved(onNotch); // late events from the old window are ignored
        f.window().spec.handlers.dragMoved(onNotch, true);
        QVERIFY(!f.stateManager.isOpen());
        f.screens.list = {
            QtScreens::describe("new", QRect(0, 0, 2560, 1440), QRect(0, 0, 2560, 1440), 2, true)};
        f.screens.main = f.screens.list.first();
        f.host->setupPanel();
        QCOMPARE(f.factory.log.orderedOut, 1);
        QCOMPARE(f.window().spec.frame, QRectF(0, 0, 2560, 340));
        QCOMPARE(f.scheduler.pendingCount(), 0);
        QVERIFY(!f.host->isExpanded());
        f.moveTo(QPointF(1280, 5));
        QVERIFY(f.stateManager.isOpen());

        f.screens.list.clear(); // no screen: no panel until the next change
        f.screens.main.reset();
        f.host->setupPanel();
        QVERIFY(!f.host->hasPanel());
        QCOMPARE(f.factory.log.created, 2);
        f.host->panelActions()->openSettings();
        QCOMPARE(f.settingsOpened, 1);
    }
};

QTEST_GUILESS_MAIN(TestNotchPanelHost)
#include "tst_NotchPanelHost.moc"
