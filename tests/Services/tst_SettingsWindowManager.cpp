#include "Services/SettingsWindowManager.h"

#include "FakePlatform.h"
#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"

#include <QQuickWindow>
#include <QScreen>
#include <QTest>

namespace {

ScreenInfo screen(QRect visibleFrame, int topInset = 0) {
    ScreenInfo info;
    info.frame = info.visibleFrame = visibleFrame;
    info.safeAreaTopInset = topInset;
    return info;
}

using Screen = std::optional<ScreenInfo>;
using Point = std::optional<QPoint>;
const ScreenInfo notched = screen(QRect(0, 32, 1512, 950), 32);

} // namespace

class TestSettingsWindowManager : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;

private Q_SLOTS:
    void initTestCase() { registerThemeQmlTypes(preferences); }

    void placementBelowTheNotch_data() {
        QTest::addColumn<QList<ScreenInfo>>("screens");
        QTest::addColumn<Screen>("windowScreen");
        QTest::addColumn<Screen>("mainScreen");
        QTest::addColumn<Point>("expected");
        const ScreenInfo left = screen(QRect(-1920, 0, 1920, 1080));
        const ScreenInfo right = screen(QRect(1920, 200, 1280, 1000));
        const QList<ScreenInfo> both{left, right};

        QTest::newRow("notched: 324 below the top")
            << QList{notched} << Screen() << Screen() << Point({486, 356});
        QTest::newRow("exactly 944 high keeps 324")
            << QList{screen(QRect(0, 0, 1000, 944), 1)} << Screen() << Screen() << Point({230, 324});
        QTest::newRow("short screen: bottom 20 above the bottom")
            << QList{screen(QRect(0, 25, 1280, 775), 25)} << Screen() << Screen() << Point({370, 180});
        QTest::newRow("notch wins over the window's screen")
            << QList{left, notched} << Screen(left) << Screen(left) << Point({486, 356});
        QTest::newRow("no notch: the window's screen")
            << both << Screen(right) << Screen(left) << Point({2290, 524});
        QTest::newRow("then the main screen") << both << Screen() << Screen(right) << Point({2290, 524});
        QTest::newRow("then the first screen") << both << Screen() << Screen() << Point({-1230, 324});
        QTest::newRow("no screens") << QList<ScreenInfo>{} << Screen() << Screen() << Point();
    }

    void placementBelowTheNotch() {
        QFETCH(QList<ScreenInfo>, screens);
        QFETCH(Screen, windowScreen);
        QFETCH(Screen, mainScreen);
        QFETCH(Point, expected);
        QCOMPARE(SettingsWindowManager::positionBelowNotch(screens, windowScreen, mainScreen,
                                                           SettingsWindowManager::windowSize),
                 expected);
    }

    // Beside a window of 520 x 340: on its right, else its left, else against the edge that hides less of it;
    // level with its top as far as the area lets it be.
    void placementBesideAWindow_data() {
        QTest::addColumn<QRect>("visible");
        QTest::addColumn<QRect>("neighbour");
        QTest::addColumn<QRect>("expected");
        const QRect fullHd(0, 0, 1920, 1080);
        const QRect laptop(0, 0, 1280, 800);
        QTest::newRow("room on the right")
            << fullHd << QRect(700, 324, 520, 340) << QRect(1236, 324, 540, 600);
        QTest::newRow("just room on the right")
            << fullHd << QRect(844, 324, 520, 340) << QRect(1380, 324, 540, 600);
        QTest::newRow("no room on the right: left")
            << fullHd << QRect(845, 324, 520, 340) << QRect(289, 324, 540, 600);
        QTest::newRow("neither: the left edge covers less")
            << laptop << QRect(400, 100, 520, 340) << QRect(0, 100, 540, 600);
        QTest::newRow("neither: the right edge covers less")
            << laptop << QRect(360, 100, 520, 340) << QRect(740, 100, 540, 600);
        QTest::newRow("neither, as much either way: right")
            << laptop << QRect(380, 100, 520, 340) << QRect(740, 100, 540, 600);
        QTest::newRow("low neighbour: bottom 20 above the bottom")
            << fullHd << QRect(200, 700, 520, 340) << QRect(736, 460, 540, 600);
        QTest::newRow("second screen, to the left")
            << QRect(1920, 200, 1280, 1000) << QRect(2600, 400, 520, 340) << QRect(2044, 400, 540, 600);
    }

    void placementBesideAWindow() {
        QFETCH(QRect, visible);
        QFETCH(QRect, neighbour);
        QFETCH(QRect, expected);
        QCOMPARE(SettingsWindowManager::frameBeside(neighbour, SettingsWindowManager::windowSize, visible),
                 expected);
    }

    // The window opens beside the neighbour while that shows, its frame 16 from the neighbour's (the test
    // platform draws a 2-pixel frame around each), and below the notch when the neighbour is hidden or lies
    // on no screen.
    void opensBesideAShownNeighbour_data() {
        QTest::addColumn<QRect>("neighbourFrame");
        QTest::addColumn<bool>("neighbourShows");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("shown") << QRect(200, 356, 520, 340) << true << QPoint(740, 356);
        QTest::newRow("hidden") << QRect(200, 356, 520, 340) << false << QPoint(486, 356);
        QTest::newRow("on no screen") << QRect(3000, 356, 520, 340) << true << QPoint(486, 356);
    }

    void opensBesideAShownNeighbour() {
        QFETCH(QRect, neighbourFrame);
        QFETCH(bool, neighbourShows);
        QFETCH(QPoint, expected);
        FakeScreens screens;
        screens.list = {notched};
        QWindow neighbour;
        neighbour.setGeometry(neighbourFrame);
        neighbour.setVisible(neighbourShows);
        SettingsWindowManager manager;
        manager.setScreens(&screens);
        manager.setOpenBeside([&neighbour] { return &neighbour; });
        manager.open();
        QCOMPARE(manager.window()->position(), expected);
    }

    // A closed window is let go; the next one is placed afresh, on the screens known then.
    void aWindowOpenedAfterClosingIsPlacedAfresh() {
        FakeScreens screens;
        SettingsWindowManager manager;
        manager.setScreens(&screens);
        manager.open(); // no screens known: centred on its own screen
        QPointer<QQuickWindow> window = manager.window();
        QCOMPARE(window->geometry().center() / 10, window->screen()->availableGeometry().center() / 10);
        screens.list = {notched};
        window->close();
        QTRY_VERIFY(!window);
        manager.open();
        QCOMPARE(manager.window()->position(), QPoint(486, 356));
    }
};

QTEST_MAIN(TestSettingsWindowManager)
#include "tst_SettingsWindowManager.moc"
