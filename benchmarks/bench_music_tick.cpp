#include "FakeArtworkFetcher.h"
#include "FakeClock.h"
#include "FakeMprisSource.h"
#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"
#include "Widgets/MusicWidget.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

// One elapsed tick while a track plays: the service moves the elapsed time, the widget re-signals, and the
// compact and expanded views redraw their progress (rendered by grabbing the window).
class MusicTickBenchmark : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tick() {
        InMemoryPreferences preferences;
        registerThemeQmlTypes(preferences);
        FakeScheduler scheduler;
        auto source = std::make_unique<FakeMprisSource>();
        source->current = {
            {QStringLiteral("org.mpris.MediaPlayer2.vlc"), "Playing", "Song", "Artist", "", "", 600, 1, 1}};
        auto clock = std::make_unique<FakeClock>();
        FakeClock* time = clock.get();
        MusicWidget widget(std::make_unique<MusicService>(MusicService::Dependencies{
            std::move(source), std::make_unique<FakeArtworkFetcher>(), std::move(clock), &scheduler, {}}));
        widget.start();

        QQmlEngine engine;
        QQuickWindow window;
        window.resize(520, 300);
        std::vector<std::unique_ptr<QQuickItem>> views;
        for (const QUrl& body : {widget.compactBody(), widget.expandedBody()}) {
            QQmlComponent component(&engine, body);
            views.emplace_back(qobject_cast<QQuickItem*>(component.createWithInitialProperties(
                {{QStringLiteral("model"), QVariant::fromValue<QObject*>(&widget)}})));
            QVERIFY2(views.back(), qPrintable(component.errorString()));
            views.back()->setParentItem(window.contentItem());
            views.back()->setSize({264, views.size() == 1 ? 38.0 : 220.0});
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QBENCHMARK {
            time->advance(1000);
            widget.service().tickElapsed();
            window.grabWindow();
        }
    }
};

QTEST_MAIN(MusicTickBenchmark)
#include "bench_music_tick.moc"
