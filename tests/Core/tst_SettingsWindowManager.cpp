#include "Core/SettingsWindowManager.h"

#include "FakePlatform.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>

namespace {

ScreenInfo screen(const QString& name, QRect visibleFrame, int topInset = 0) {
    ScreenInfo info;
    info.name = name;
    info.frame = visibleFrame;
    info.visibleFrame = visibleFrame;
    info.safeAreaTopInset = topInset;
    return info;
}

using OptionalScreen = std::optional<ScreenInfo>;
using OptionalPoint = std::optional<QPoint>;

} // namespace

class TestSettingsWindowManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placementBelowTheNotch_data() {
        QTest::addColumn<QList<ScreenInfo>>("screens");
        QTest::addColumn<OptionalScreen>("windowScreen");
        QTest::addColumn<OptionalScreen>("mainScreen");
        QTest::addColumn<OptionalPoint>("expected");

        const ScreenInfo tall = screen("tall", QRect(0, 32, 1512, 950), 32);
        const ScreenInfo left = screen("left", QRect(-1920, 0, 1920, 1080));
        const ScreenInfo right = screen("right", QRect(1920, 200, 1280, 1000));
        const ScreenInfo shortNotched = screen("short", QRect(0, 25, 1280, 775), 25);

        QTest::newRow("tall notched screen: 324 below the top")
            << QList<ScreenInfo>{tall} << OptionalScreen() << OptionalScreen()
            << OptionalPoint(QPoint(486, 356));
        QTest::newRow("exactly 944 high keeps 324")
            << QList<ScreenInfo>{screen("e", QRect(0, 0, 1000, 944), 1)} << OptionalScreen()
            << OptionalScreen() << OptionalPoint(QPoint(230, 324));
        QTest::newRow("short screen: bottom 20 above the bottom")
            << QList<ScreenInfo>{shortNotched} << OptionalScreen() << OptionalScreen()
            << OptionalPoint(QPoint(370, 25 + 775 - 20 - 600));
        QTest::newRow("notched screen wins over the window's screen")
            << QList<ScreenInfo>{left, tall} << OptionalScreen(left) << OptionalScreen(left)
            << OptionalPoint(QPoint(486, 356));
        QTest::newRow("no notch: the window's screen")
            << QList<ScreenInfo>{left, right} << OptionalScreen(right) << OptionalScreen(left)
            << OptionalPoint(QPoint(2290, 524));
        QTest::newRow("no notch, no window screen: the main screen")
            << QList<ScreenInfo>{left, right} << OptionalScreen() << OptionalScreen(right)
            << OptionalPoint(QPoint(2290, 524));
        QTest::newRow("nothing else: the first screen")
            << QList<ScreenInfo>{left, right} << OptionalScreen() << OptionalScreen()
            << OptionalPoint(QPoint(-1230, 324));
        QTest::newRow("no screens") << QList<ScreenInfo>{} << OptionalScreen() << OptionalScreen()
                                    << OptionalPoint();
    }

    void placementBelowTheNotch() {
        QFETCH(QList<ScreenInfo>, screens);
        QFETCH(OptionalScreen, windowScreen);
        QFETCH(OptionalScreen, mainScreen);
        QFETCH(OptionalPoint, expected);
        QCOMPARE(SettingsWindowManager::positionBelowNotch(screens, windowScreen, mainScreen,
                                                           SettingsWindowManager::windowSize),
                 expected);
    }

    void oneWindowWithItsTitleAndFixedSize() {
        FakeScreens screens;
        screens.list = {screen("notched", QRect(0, 32, 1512, 950), 32)};
        SettingsWindowManager manager;
        manager.setScreens(&screens);

        manager.open();
        QQuickWindow* window = manager.window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->title(), QStringLiteral("Tavimor · Configurações"));
        QCOMPARE(window->size(), QSize(540, 600));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(window->flags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!window->flags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->position(), QPoint(486, 356));

        manager.open();
        QCOMPARE(manager.window(), window);
    }

    void closingForgetsTheWindowAndTheNextOpenPlacesAFreshOne() {
        FakeScreens screens;
        screens.list = {screen("notched", QRect(0, 32, 1512, 950), 32)};
        SettingsWindowManager manager;
        manager.setScreens(&screens);
        manager.open();
        QPointer<QQuickWindow> first = manager.window();
        first->setPosition(10, 10);

        first->close();
        QCOMPARE(manager.window(), nullptr);
        QTRY_VERIFY(!first);

        manager.open();
        QVERIFY(manager.window());
        QCOMPARE(manager.window()->position(), QPoint(486, 356));
    }

    void withoutScreensTheWindowIsCentredOnItsOwnScreen() {
        FakeScreens screens;
        SettingsWindowManager manager;
        manager.setScreens(&screens);
        manager.open();
        QQuickWindow* window = manager.window();
        QVERIFY(window);
        QCOMPARE(window->geometry().center() / 10, window->screen()->availableGeometry().center() / 10);
    }

    void usageServiceNotifiesOnlyOnChange() {
        SettingsWindowManager manager;
        QObject service;
        int changes = 0;
        connect(&manager, &SettingsWindowManager::usageServiceChanged, this, [&] { ++changes; });
        manager.setUsageService(&service);
        manager.setUsageService(&service);
        QCOMPARE(changes, 1);
        QCOMPARE(manager.property("usageService").value<QObject*>(), &service);
    }
};

QTEST_MAIN(TestSettingsWindowManager)
#include "tst_SettingsWindowManager.moc"
