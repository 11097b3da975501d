#include "Foundation/ImageBlur.h"
#include "Platform/Capture/X11ScreenCapture.h"
#include "Theme/PanelBackdrop.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include <algorithm>
#include <ctime>

// The frosted glass's own cost: reading what lies under the open panel and frosting it, on every opening, and
// reading and frosting a whole screen as a break begins. Needs an X server (QT_QPA_PLATFORM=xcb).
class BackdropBench : public QObject {
    Q_OBJECT

    static double threadCpuMs() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    }

    // Median CPU and wall milliseconds of `work` over 20 runs.
    template <typename Work> static std::pair<double, double> median(Work work) {
        QList<double> cpu, wall;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer timer;
            timer.start();
            const double before = threadCpuMs();
            work();
            cpu << threadCpuMs() - before;
            wall << timer.nsecsElapsed() / 1e6;
        }
        std::sort(cpu.begin(), cpu.end());
        std::sort(wall.begin(), wall.end());
        return {cpu.at(10), wall.at(10)};
    }

private Q_SLOTS:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
    }

    void underTheOpenPanel() {
        X11ScreenCapture capture;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect area(screen.center().x() - 260, 0, 520, 300);
        QVERIFY(!ImageBlur::frosted(capture.grab(area)).isNull());
        const auto [cpu, wall] = median([&] { PanelBackdrop::readBehind(capture, true, area, area); });
        qInfo("capture + blur of what lies under the open panel (%dx%d): %.1f ms CPU (%.1f ms wall), median "
              "of 20",
              area.width(), area.height(), cpu, wall);
    }

    void wholeScreenForABreak() {
        X11ScreenCapture capture;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const auto [cpu, wall] = median([&] { ImageBlur::frosted(capture.grab(screen)); });
        qInfo("capture + blur of a %dx%d screen as a break begins: %.1f ms CPU (%.1f ms wall), median of 20",
              screen.width(), screen.height(), cpu, wall);
    }
};

QTEST_MAIN(BackdropBench)
#include "bench_backdrop.moc"
