#include "FakeArtworkFetcher.h"
#include "FakeClock.h"
#include "FakeMprisSource.h"
#include "Services/MusicService.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

const QString spotifyBus = MusicService::spotifyBusName;
const QString vlcBus = QStringLiteral("org.mpris.MediaPlayer2.vlc");

MprisPlayer player(const QString& bus, const QString& status, const QString& title = QStringLiteral("Song"),
                   quint64 lastActive = 1) {
    MprisPlayer p;
    p.busName = bus;
    p.status = status;
    p.title = title;
    p.lengthSeconds = 200;
    p.positionSeconds = 10;
    p.lastActive = lastActive;
    return p;
}

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinite = std::numeric_limits<double>::infinity();

} // namespace

class MusicServiceTest : public QObject {
    Q_OBJECT

    FakeMprisSource* source = nullptr;
    FakeArtworkFetcher* artwork = nullptr;
    FakeClock* clock = nullptr;
    FakeScheduler scheduler;
    QStringList degraded;
    std::unique_ptr<MusicService> service;

    void startWith(const QList<MprisPlayer>& players, bool busAvailable = true) {
        source->current = players;
        source->busAvailable = busAvailable;
        service->start();
    }

private Q_SLOTS:
    void init() {
        auto s = std::make_unique<FakeMprisSource>();
        auto a = std::make_unique<FakeArtworkFetcher>();
        auto c = std::make_unique<FakeClock>();
        source = s.get();
        artwork = a.get();
        clock = c.get();
        scheduler = FakeScheduler();
        degraded.clear();
        service = std::make_unique<MusicService>(MusicService::Dependencies{
            std::move(s), std::move(a), std::move(c), &scheduler,
            [this](const QString& component, const QString&, const QString&) { degraded << component; }});
    }

    void timeTexts_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        const std::pair<double, const char*> rows[] = {
            {0, "0:00"},        {75.9, "1:15"},       {3725, "62:05"},
            {59.99, "0:59"},    {3600, "60:00"},      {-3, "0:00"},
            {infinite, "0:00"}, {notANumber, "0:00"}, {1e300, "16666666666666:40"}};
        for (const auto& [seconds, text] : rows)
            QTest::addRow("%s", text) << seconds << QString::fromLatin1(text);
    }
    void timeTexts() {
        QFETCH(double, seconds);
        QTEST(NowPlayingInfo::formatTime(seconds), "text");
    }

    void progress_data() {
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<double>("duration");
        QTest::addColumn<double>("fraction");
        QTest::newRow("middle") << 50.0 << 200.0 << 0.25;
        QTest::newRow("no duration") << 5.0 << 0.0 << 0.02;
        QTest::newRow("past the end") << 300.0 << 200.0 << 1.0;
        QTest::newRow("negative elapsed") << -4.0 << 200.0 << 0.02;
        QTest::newRow("elapsed not a number") << notANumber << 200.0 << 0.02;
        QTest::newRow("infinite duration") << 5.0 << infinite << 0.02;
    }
    void progress() {
        QFETCH(double, elapsed);
        QFETCH(double, duration);
        QTEST(NowPlayingInfo::progressFraction(elapsed, duration, 0.02), "fraction");
    }

    // Which of the session's players is shown.
    void selection_data() {
        QTest::addColumn<QList<MprisPlayer>>("players");
        QTest::addColumn<QString>("shown");
        const auto a = QStringLiteral("org.mpris.MediaPlayer2.a"),
                   b = QStringLiteral("org.mpris.MediaPlayer2.b");
        QTest::newRow("playing beats a later pause")
            << QList{player(a, "Playing", "A", 1), player(b, "Paused", "B", 9)} << a;
        QTest::newRow("most recent pause")
            << QList{player(a, "Paused", "A", 3), player(b, "Paused", "B", 4)} << b;
        QTest::newRow("stopped is nothing") << QList{player(a, "Stopped", "A")} << QString();
        QTest::newRow("no title is nothing") << QList{player(a, "Playing", "")} << QString();
        QTest::newRow("not yet answered") << QList{player(a, "", "A")} << QString();
    }
    void selection() {
        QFETCH(QList<MprisPlayer>, players);
        const auto chosen = MusicService::selectPlayer(players);
        QTEST(chosen ? chosen->busName : QString(), "shown");
    }

    // Spotify wins while it has a track, even paused; its volume is read; other players have none.
    void spotifyWins() {
        source->volumeAnswer = 0.29;
        startWith({player(vlcBus, "Playing", "Video"), player(spotifyBus, "Paused", "Tune")});
        QCOMPARE(service->nowPlaying().title, QStringLiteral("Tune"));
        QCOMPARE(service->nowPlaying().appBundleIdentifier, MusicService::spotifyBundleIdentifier);
        QCOMPARE(service->volume(), 29.0);
        source->setPlayers({player(vlcBus, "Playing", "Video"), player(spotifyBus, "Stopped", "Tune")});
        QCOMPARE(service->nowPlaying().title, QStringLiteral("Video"));
        service->fetchVolume();
        QVERIFY(!service->volume());
    }

    void elapsedTick() {
        MprisPlayer track = player(vlcBus, "Playing");
        track.lengthSeconds = 12;
        startWith({track});
        QVERIFY(service->isElapsedTickRunning() && service->isPollRunning());
        clock->advance(1500);
        service->tickElapsed();
        QCOMPARE(service->nowPlaying().elapsedTime, 11.5);
        clock->advance(5000);
        service->tickElapsed();
        QCOMPARE(service->nowPlaying().elapsedTime, 12.0);
        source->setPlayers({player(vlcBus, "Paused")});
        QVERIFY(!service->isElapsedTickRunning());
        service->stop();
        service->stop();
        QVERIFY(!service->isPollRunning());
    }

    // Where a command goes, which method it becomes and whether a refresh follows 0.3 s later.
    void commands_data() {
        QTest::addColumn<QList<MprisPlayer>>("players");
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("call");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<bool>("refresh");
        const int stop = int(MusicService::Command::Stop), next = int(MusicService::Command::NextTrack);
        QTest::newRow("spotify stop pauses")
            << QList{player(spotifyBus, "Playing")} << stop << spotifyBus + " Pause" << true << true;
        QTest::newRow("other player, no refresh")
            << QList{player(vlcBus, "Playing")} << stop << vlcBus + " Stop" << true << false;
        QTest::newRow("nothing playing, spotify running")
            << QList{player(spotifyBus, "Stopped")} << next << spotifyBus + " Next" << true << true;
        QTest::newRow("nothing anywhere") << QList<MprisPlayer>() << next << QString() << false << true;
    }
    void commands() {
        QFETCH(QList<MprisPlayer>, players);
        QFETCH(int, command);
        startWith(players);
        const int before = source->refreshes;
        QTEST(service->sendCommand(MusicService::Command(command)), "delivered");
        QTEST(source->calls.value(0), "call");
        scheduler.advance(MusicService::refreshSoonMs);
        QTEST(source->refreshes > before, "refresh");
    }

    void volume_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("published");
        QTest::addColumn<double>("sent");
        QTest::newRow("above") << 150.0 << 100.0 << 1.0;
        QTest::newRow("below") << -5.0 << 0.0 << 0.0;
        QTest::newRow("fraction") << 42.7 << 42.7 << 0.42;
        QTest::newRow("not a number") << notANumber << 0.0 << 0.0;
    }
    void volume() {
        QFETCH(double, value);
        source->volumeAnswer = 0.5;
        startWith({player(spotifyBus, "Playing")});
        service->setVolume(value);
        QTEST(*service->volume(), "published");
        QTEST(source->writes.value(0), "sent");
    }

    // A drag: one write in flight, only the newest waiting value follows it, an unchanged value is not sent.
    void volumeDragSendsOneCallPerChange() {
        startWith({player(spotifyBus, "Playing")});
        for (double value : {10.0, 20.0, 30.0, 30.4})
            service->setVolume(value);
        QCOMPARE(source->writes, QList<double>{0.10});
        source->completeWrite();
        QCOMPARE(source->writes, (QList<double>{0.10, 0.30}));
        source->completeWrite();
        service->setVolume(30.9);
        QCOMPARE(source->writes.size(), 2);
        source->setPlayers({player(vlcBus, "Playing")});
        service->setVolume(80);
        QCOMPARE(source->writes.size(), 2);
    }

    void artworkAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("fetched");
        QTest::newRow("file") << "file:///tmp/cover.png" << true;
        QTest::newRow("https") << "HTTPS://img.example/c.jpg" << true;
        QTest::newRow("http without host") << "http:///c.jpg" << false;
        QTest::newRow("ftp") << "ftp://img.example/c.jpg" << false;
        QTest::newRow("data") << "data:image/png;base64,AAAA" << false;
        QTest::newRow("relative") << "cover.png" << false;
    }
    void artworkAddresses() {
        QFETCH(QString, address);
        MprisPlayer track = player(vlcBus, "Playing");
        track.artUrl = address;
        startWith({track});
        QTEST(!artwork->requested.isEmpty(), "fetched");
    }

    // A load that ends after the track moved on only fills the cache; the track coming back shows it at once.
    void staleArtworkOnlyFillsTheCache() {
        MprisPlayer first = player(vlcBus, "Playing", "First");
        first.artUrl = QStringLiteral("file:///a.png");
        MprisPlayer second = player(vlcBus, "Playing", "Second");
        second.artUrl = QStringLiteral("file:///b.png");
        startWith({first});
        source->setPlayers({first});
        QCOMPARE(artwork->requested.size(), 1);
        source->setPlayers({second});
        QImage image(4, 4, QImage::Format_RGB32);
        artwork->finish(QUrl(first.artUrl), image);
        QVERIFY(service->nowPlaying().artwork.isNull());
        source->setPlayers({first});
        QVERIFY(!service->nowPlaying().artwork.isNull());
    }

    void noSessionBus() {
        startWith({}, false);
        QCOMPARE(degraded, QStringList{"MPRIS"});
        QVERIFY(service->nowPlaying().title.isEmpty());
        QVERIFY(!service->sendCommand(MusicService::Command::TogglePlayPause));
    }
};

QTEST_GUILESS_MAIN(MusicServiceTest)
#include "tst_MusicService.moc"
