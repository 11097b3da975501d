#include "Core/NotchPanelHost.h"
#include "Platform/Screens/QtScreens.h"

#include "FakeClock.h"
#include "FakePlatform.h"

#include <QTest>

// The hover handler runs on every pointer event over the open panel.
class BenchNotchPanelHost : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pointerEventOverTheOpenPanel() {
        NotchStateManager stateManager;
        WidgetRegistry registry;
        FakeScreens screens;
        FakeScheduler scheduler;
        FakeWindowFactory factory;
        const ScreenInfo screen = QtScreens::describe(QStringLiteral("primary"), QRect(0, 0, 1920, 1080),
                                                      QRect(0, 0, 1920, 1080), 1, true);
        screens.list = {screen};
        screens.main = screen;
        NotchPanelHost host({stateManager, registry, screens, scheduler, factory, [] { return QPointF(); },
                             NotchHardwareProfile::forModel(QStringLiteral("unknown")), [] {}});
        host.setupPanel();
        host.handleMouseMoved(QPointF(960, 10));
        QBENCHMARK {
            host.handleMouseMoved(QPointF(700, 300));
        }
    }
};

QTEST_GUILESS_MAIN(BenchNotchPanelHost)
#include "bench_NotchPanelHost.moc"
