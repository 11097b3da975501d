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

// The music and audio bodies load without a warning in both appearances, with and without content, show
// outside texts as plain text and hide the volume bar for players without one.
class MusicAudioViewsTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    FakeScheduler scheduler;
    QQmlEngine engine;
    QList<QQmlError> warnings;

    std::unique_ptr<QQuickItem> load(const QUrl& body, QObject* model) {
        QQmlComponent component(&engine, body);
        std::unique_ptr<QQuickItem> item(qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{QStringLiteral("model"), QVariant::fromValue(model)}})));
        warnings << component.errors();
        item->setSize({496, 220});
        QCoreApplication::processEvents();
        return item;
    }

    static QVariant property(QQuickItem* root, const QString& name, const char* property) {
        for (QList<QQuickItem*> pending{root}; !pending.isEmpty();) {
            QQuickItem* item = pending.takeLast();
            if (item->objectName() == name)
                return item->property(property);
            pending += item->childItems();
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        connect(&engine, &QQmlEngine::warnings, this, [this](const QList<QQmlError>& w) { warnings << w; });
    }

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
        auto system = std::make_unique<FakeAudioSystem>();
        if (withContent) {
            source->current = {
                {MusicService::spotifyBusName, "Playing", "Tune <b>x</b>", "Artist", "", "", 100, 25, 1}};
            source->volumeAnswer = 0.4;
            system->all = {{1, "mic", "Mic", 0, 1, 0, 48000},
                           {2, "headset", "A long headset name", 0, 0, 1, 16000}};
            std::tie(system->input, system->output) = std::pair(1, 2);
        }
        MusicWidget music(
            std::make_unique<MusicService>(MusicService::Dependencies{std::move(source),
                                                                      std::make_unique<FakeArtworkFetcher>(),
                                                                      std::make_unique<FakeClock>(),
                                                                      &scheduler,
                                                                      {}}));
        AudioWidget audio(std::make_unique<AudioInputService>(std::move(system), preferences));
        music.start();
        audio.start();
        warnings.clear();

        const auto compact = load(music.compactBody(), &music);
        const auto expanded = load(music.expandedBody(), &music);
        const auto tab = load(audio.expandedBody(), &audio);
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.value(0).toString()));
        QCOMPARE(property(expanded.get(), "volumeBar", "visible").toBool(), withContent);
        QCOMPARE(property(expanded.get(), "emptyState", "visible").toBool(), !withContent);
        QCOMPARE(property(expanded.get(), "trackTitle", "textFormat").toInt(), int(Qt::PlainText));
        QCOMPARE(property(tab.get(), "device:Mic", "visible").isValid(), withContent);
    }
};

QTEST_MAIN(MusicAudioViewsTest)
#include "tst_MusicAudioViews.moc"
