#include "FakeArtworkFetcher.h"
#include "FakeAudioSystem.h"
#include "FakeClock.h"
#include "FakeMprisSource.h"
#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"
#include "Widgets/AudioWidget.h"
#include "Widgets/MusicWidget.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QtTest>

// The music and audio bodies load without a warning in both appearances, with and without content, and
// show what their widget decides.
class MusicAudioViewsTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    FakeScheduler scheduler;

    std::unique_ptr<QQuickItem> load(QQmlEngine& engine, const QUrl& body, QObject* model) {
        QList<QQmlError> warnings;
        connect(&engine, &QQmlEngine::warnings, this, [&](const QList<QQmlError>& w) { warnings << w; });
        QQmlComponent component(&engine, body);
        std::unique_ptr<QQuickItem> item(qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{QStringLiteral("model"), QVariant::fromValue(model)}})));
        warnings << component.errors();
        if (item)
            item->setSize({496, 220});
        QCoreApplication::processEvents();
        [&] { QVERIFY2(item && warnings.isEmpty(), qPrintable(warnings.value(0).toString())); }();
        return item;
    }

    static QQuickItem* named(QQuickItem* root, const QString& name) {
        QList<QQuickItem*> pending{root};
        while (!pending.isEmpty()) {
            QQuickItem* item = pending.takeLast();
            if (item->objectName() == name)
                return item;
            pending += item->childItems();
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase() { registerThemeQmlTypes(preferences); }

    void views_data() {
        QTest::addColumn<QString>("appearance");
        QTest::addColumn<bool>("withContent");
        for (const char* appearance : {"liquid", "dark"}) {
            QTest::addRow("%s, empty", appearance) << appearance << false;
            QTest::addRow("%s, content", appearance) << appearance << true;
        }
    }
    void views() {
        QFETCH(QString, appearance);
        QFETCH(bool, withContent);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), appearance);

        auto source = std::make_unique<FakeMprisSource>();
        if (withContent) {
            MprisPlayer spotify{
                MusicService::spotifyBusName, "Playing", "Tune <b>x</b>", "Artist", "", "", 100, 25, 1};
            source->current = {spotify};
            source->volumeAnswer = 0.4;
        }
        MusicWidget music(
            std::make_unique<MusicService>(MusicService::Dependencies{std::move(source),
                                                                      std::make_unique<FakeArtworkFetcher>(),
                                                                      std::make_unique<FakeClock>(),
                                                                      &scheduler,
                                                                      {}}));
        music.start();

        auto system = std::make_unique<FakeAudioSystem>();
        if (withContent) {
            system->all = {{1, "mic", "Mic", 0, 1, 0, 48000},
                           {2, "headset", "A very long headset name that is cut", 0, 0, 1, 16000}};
            system->input = 1;
            system->output = 2;
        }
        AudioWidget audio(std::make_unique<AudioInputService>(std::move(system), preferences));
        audio.start();

        QQmlEngine engine;
        for (const QUrl& body : {music.compactBody(), music.expandedBody()})
            QVERIFY(load(engine, body, &music));
        const auto expanded = load(engine, music.expandedBody(), &music);
        QCOMPARE(named(expanded.get(), "emptyState")->isVisible(), !withContent);
        QCOMPARE(named(expanded.get(), "volumeBar")->isVisible(), withContent);
        if (withContent) {
            QCOMPARE(named(expanded.get(), "trackTitle")->property("text").toString(),
                     QStringLiteral("Tune <b>x</b>"));
            QCOMPARE(named(expanded.get(), "expandedProgress")->width(),
                     music.expandedProgress() *
                         named(expanded.get(), "expandedProgress")->parentItem()->width());
        }
        const auto tab = load(engine, audio.expandedBody(), &audio);
        QVERIFY(named(tab.get(), "lockSwitch"));
        QCOMPARE(named(tab.get(), "device:Mic") != nullptr, withContent);
    }
};

QTEST_MAIN(MusicAudioViewsTest)
#include "tst_MusicAudioViews.moc"
