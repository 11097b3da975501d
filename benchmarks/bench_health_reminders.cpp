#include "FakeReminders.h"
#include "Foundation/NotificationCenter.h"
#include "Foundation/QmlWindow.h"
#include "InMemoryPreferences.h"
#include "Platform/Capture/X11ScreenCapture.h"
#include "Platform/Screens/QtScreens.h"
#include "Platform/Windows/X11ReminderWindow.h"
#include "Services/BlinkService.h"
#include "Services/BreakOverlayWindowManager.h"
#include "Services/SystemPresence.h"
#include "Theme/ThemeQml.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QtTest>

#include <ctime>

// How long a due break takes to be on every screen, and the CPU time of one blink cue. The overlay figures
// need an X server (QT_QPA_PLATFORM=xcb).
class HealthRemindersBench : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    NotificationCenter notifications;
    FakeLogindSession session;
    SystemPresence presence{&session, nullptr};
    SystemClock clock;
    QtScheduler scheduler;
    X11ScreenCapture screenCapture;

    // The overlay as the application makes it, reading the screens for its frosted glass.
    std::unique_ptr<BreakOverlayWindowManager> makeOverlay(IScreens& screens,
                                                           IReminderWindowFactory& windows) {
        auto overlay = std::make_unique<BreakOverlayWindowManager>(screens, windows, clock);
        overlay->setScreenCapture(&screenCapture);
        return overlay;
    }

    static QList<QQuickWindow*> overlayWindows() {
        QList<QQuickWindow*> found;
        for (QWindow* window : QGuiApplication::topLevelWindows())
            if (window->isVisible() && window->title().endsWith(QStringLiteral("pausa")))
                found.append(qobject_cast<QQuickWindow*>(window));
        return found;
    }

    // Waits until every screen has an overlay that has drawn its first frame; the time it took, in ms.
    static double waitForOverlays(const QElapsedTimer& since) {
        int drawn = 0;
        QList<QMetaObject::Connection> connections;
        if (!QTest::qWaitFor([] { return overlayWindows().size() == QGuiApplication::screens().size(); },
                             5000))
            return -1;
        for (QQuickWindow* window : overlayWindows())
            connections << connect(
                window, &QQuickWindow::frameSwapped, window, [&drawn] { ++drawn; }, Qt::SingleShotConnection);
        if (!QTest::qWaitFor([&drawn] { return drawn >= overlayWindows().size(); }, 5000))
            return -1;
        return since.nsecsElapsed() / 1e6;
    }

private Q_SLOTS:
    void initTestCase() {
        QmlWindow::chooseRenderer(); // the renderer the application draws with
        registerThemeQmlTypes(preferences);
        for (const char* key : {"tavimor.breakEnabled", "tavimor.blinkEnabled", "tavimor.postureEnabled"})
            preferences.setValue(QString::fromLatin1(key), true);
    }

    // From a break falling due (its own timer, a one-minute interval) to a drawn overlay on every screen.
    void dueToOverlay() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        QtScreens screens;
        X11ReminderWindowFactory windows({});
        preferences.setValue(QStringLiteral("tavimor.breakWorkIntervalMin"), 1);
        BreakService breaks({preferences, clock, scheduler, presence, &session, notifications},
                            makeOverlay(screens, windows));
        QElapsedTimer sinceBegin;
        qint64 dueToBegin = -1;
        connect(&breaks, &BreakService::phaseChanged, this, [&] {
            sinceBegin.start();
            dueToBegin = breaks.nextBreakDate().msecsTo(QDateTime::currentDateTimeUtc());
        });
        breaks.start();
        QTRY_VERIFY_WITH_TIMEOUT(breaks.phase() == BreakService::Phase::active, 65000);
        const double beginToDrawn = waitForOverlays(sinceBegin);
        qInfo(
            "due moment to overlay drawn on %lld screens, first break (windows made): %.1f ms (due to begun "
            "%lld ms)",
            qlonglong(QGuiApplication::screens().size()), double(dueToBegin) + beginToDrawn,
            qlonglong(dueToBegin));
        breaks.stop();
    }

    // The overlay's own part, repeated: from a break beginning to its windows drawn on every screen.
    void beginToOverlay() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        QtScreens screens;
        X11ReminderWindowFactory windows({});
        BreakService breaks({preferences, clock, scheduler, presence, &session, notifications},
                            makeOverlay(screens, windows));
        QList<double> samples, built;
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer timer;
            timer.start();
            breaks.takeBreakNow();
            built << timer.nsecsElapsed() / 1e6;
            samples << waitForOverlays(timer);
            breaks.skip();
            QTest::qWait(100);
        }
        std::sort(samples.begin(), samples.end());
        std::sort(built.begin(), built.end());
        qInfo(
            "break begun to overlay drawn, windows kept: median %.1f ms (%.1f ms in the call), worst %.1f ms "
            "over %lld breaks",
            samples.at(5), built.at(5), samples.last(), qlonglong(samples.size()));
    }

    // The CPU time of the whole process, every thread, for one blink cue from its panels being built to
    // their going: the first (its looks drawn) and the median of the next ones (looks reused).
    void blinkAnimation() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        QtScreens screens;
        X11ReminderWindowFactory windows({});
        BlinkReminderWindow blink({screens, windows, scheduler, clock, ReminderCoordinator::shared()});
        QList<double> samples;
        for (int i = 0; i < 6; ++i) {
            const double before = processCpuMs();
            blink.show(ReminderSize::medium, ReminderPosition::center);
            QTest::qWait(BlinkReminderWindow::showMs + 200);
            samples << processCpuMs() - before;
        }
        const double first = samples.takeFirst();
        std::sort(samples.begin(), samples.end());
        qInfo("one blink animation (%.2f s, %lld screens): %.1f ms CPU the first time, median %.1f ms after",
              BlinkReminderWindow::showMs / 1000.0, qlonglong(QGuiApplication::screens().size()), first,
              samples.at(samples.size() / 2));
    }

private:
    static double processCpuMs() {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    }
};

QTEST_MAIN(HealthRemindersBench)
#include "bench_health_reminders.moc"
