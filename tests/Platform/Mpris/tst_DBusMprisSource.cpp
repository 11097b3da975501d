#include "FakeClock.h"
#include "Foundation/OutsideText.h"
#include "Platform/Mpris/DBusMprisSource.h"
#include "Platform/Mpris/NetworkArtworkFetcher.h"
#include "Services/MusicService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QtTest>

// The music service over the real session-bus source and artwork loader, against fake MPRIS players on a
// private bus; started by tests/integration/test_music_audio_app.sh.
class DBusMprisSourceTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QtScheduler scheduler;
    std::vector<std::unique_ptr<QProcess>> players;
    std::unique_ptr<MusicService> service;
    DBusMprisSource* source = nullptr;
    QProcess web;
    QString webRoot; // the covers' web server

    QString logOf(const QString& name) const { return dir.filePath(name + ".log"); }
    QString logged(const QString& name) const {
        QFile file(logOf(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QString();
    }

    void startPlayer(const QString& name, QStringList arguments) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(
            QStringLiteral("/usr/bin/python3"),
            QStringList{qEnvironmentVariable("TAVIMOR_FAKE_PLAYER"), "--name", name, "--log", logOf(name)} +
                arguments);
        QVERIFY(process->waitForStarted());
        players.push_back(std::move(process));
    }

    // Asks the fake player for a burst of `count` changes: of status, or naming `invalidated` without values.
    static void flood(const QString& name, int count, const QStringList& invalidated = {}) {
        auto call = QDBusMessage::createMethodCall("org.mpris.MediaPlayer2." + name,
                                                   "/org/mpris/MediaPlayer2", "org.tavimor.Test", "Flood");
        call << count << invalidated;
        QDBusConnection::sessionBus().send(call);
    }

    bool showsTitle(const QString& title) {
        return QTest::qWaitFor([&] { return service->nowPlaying().title == title; }, 5000);
    }

private Q_SLOTS:
    void initTestCase() {
        if (qgetenv("TAVIMOR_MPRIS_TEST") != "1")
            QSKIP("runs only inside tests/integration/test_music_audio_app.sh");
        if (qgetenv("DBUS_SESSION_BUS_ADDRESS") != qgetenv("TAVIMOR_TEST_SESSION_BUS"))
            QFAIL("refusing to run: the session bus is not the script's private bus");
        // A web server for the covers: an image, and the same image padded past the size cap.
        QImage(40, 40, QImage::Format_RGB32).save(dir.filePath("cover.png"));
        QFile huge(dir.filePath("huge.png"));
        QVERIFY(QFile::copy(dir.filePath("cover.png"), huge.fileName()));
        QVERIFY(huge.resize(NetworkArtworkFetcher::maxBytes + 1024));
        web.start("/usr/bin/python3", {"-u", "-m", "http.server", "-b", "127.0.0.1", "-d", dir.path(), "0"});
        QVERIFY(web.waitForReadyRead(5000));
        webRoot =
            "http://127.0.0.1:" + QRegularExpression("port (\\d+)").match(web.readAll()).captured(1) + "/";
    }

    void init() {
        auto real = std::make_unique<DBusMprisSource>(QDBusConnection::sessionBus());
        source = real.get();
        service = std::make_unique<MusicService>(
            MusicService::Dependencies{std::move(real),
                                       std::make_unique<NetworkArtworkFetcher>(),
                                       std::make_unique<SystemClock>(),
                                       &scheduler,
                                       {}});
    }

    void cleanup() {
        service.reset();
        players.clear(); // each QProcess kills its player as it goes
    }

    // Title, exact length, a file cover, the tick, and a command whose answer arrives as a signal; Position
    // comes only on request, after the track changes.
    void playerEndToEnd() {
        startPlayer("vlc",
                    {"--title", "Canção", "--artist", "Banda", "--length-us", "215000001", "--position-us",
                     "30000000", "--art-url", QUrl::fromLocalFile(dir.filePath("cover.png")).toString()});
        service->start();
        QVERIFY(showsTitle("Canção"));
        QCOMPARE(service->nowPlaying().duration, 215.000001);
        QVERIFY(QTest::qWaitFor([&] { return !service->nowPlaying().artwork.isNull(); }, 5000));
        QTest::qWait(1100);
        QVERIFY(service->nowPlaying().elapsedTime >= 31);
        service->togglePlayPause();
        QVERIFY(QTest::qWaitFor([&] { return !service->nowPlaying().isPlaying; }, 3000));
        QVERIFY(!service->isElapsedTickRunning());
        service->nextTrack();
        QVERIFY(showsTitle("Canção 2"));
        QVERIFY(QTest::qWaitFor([&] { return service->nowPlaying().elapsedTime < 1; }, 3000));
        QCOMPARE(logged("vlc"), QStringLiteral("PlayPause\nNext\n"));
    }

    // A restart (each screen wake) keeps the last track until the players answer again: never a blank.
    void restartKeepsTrack() {
        startPlayer("vlc", {"--title", "Canção"});
        service->start();
        QVERIFY(showsTitle("Canção"));
        QStringList shown;
        connect(service.get(), &MusicService::nowPlayingChanged, this,
                [&] { shown.append(service->nowPlaying().title); });
        service->stop();
        service->start();
        QVERIFY(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 3000));
        QTest::qWait(300);
        QVERIFY2(!shown.contains(QString()), qPrintable(shown.join(u'|')));
        QCOMPARE(service->nowPlaying().title, QStringLiteral("Canção"));
    }

    // Spotify: stop pauses, the volume is read, set once per change and read back.
    void spotifyVolumeAndStop() {
        startPlayer("spotify.instance42",
                    {"--title", "Tune", "--volume", "0.29", "--art-url", webRoot + "cover.png"});
        service->start();
        QVERIFY(showsTitle("Tune"));
        QVERIFY(QTest::qWaitFor([&] { return service->volume() == 29.0; }, 3000));
        QVERIFY(QTest::qWaitFor([&] { return !service->nowPlaying().artwork.isNull(); }, 5000));
        service->setVolume(42.7);
        QVERIFY(service->sendCommand(MusicService::Command::Stop));
        QVERIFY(QTest::qWaitFor([&] { return logged("spotify.instance42").contains("Pause"); }, 3000));
        service->fetchVolume();
        QVERIFY(QTest::qWaitFor([&] { return service->volume() == 42.0; }, 3000));
        QCOMPARE(logged("spotify.instance42"), QStringLiteral("Set Volume 0.42\nPause\n"));
    }

    // A player that answers a command with an error: the command goes to Spotify, which starts playing and
    // takes the tab.
    void refusedCommandGoesToSpotify() {
        startPlayer("spotify", {"--title", "Tune", "--status", "Stopped"});
        startPlayer("totem", {"--title", "Film", "--refuse"});
        service->start();
        QVERIFY(QTest::qWaitFor([&] { return source->players().size() == 2; }, 5000));
        QVERIFY(showsTitle("Film"));
        service->togglePlayPause();
        QVERIFY(showsTitle("Tune"));
        QCOMPARE(logged("totem"), QStringLiteral("PlayPause refused\n"));
        QCOMPARE(logged("spotify"), QStringLiteral("PlayPause\n"));
    }

    // A player that leaves while its properties are read, and a cover past the size cap: the other player
    // shows, without artwork.
    void vanishingPlayerAndOversizedCover() {
        startPlayer("ghost", {"--title", "Ghost", "--vanish-on-getall"});
        startPlayer("mpv", {"--title", "Film", "--art-url", webRoot + "huge.png"});
        service->start();
        QVERIFY(showsTitle("Film"));
        QVERIFY(QTest::qWaitFor([&] { return source->players().size() == 1; }, 5000));
        QTest::qWait(1000);
        QVERIFY(service->nowPlaying().artwork.isNull());
        QCOMPARE(logged("ghost"), QStringLiteral("vanish\n"));
    }

    // Players that send malformed shapes, when read and then in a stream of changes: they count as players
    // without a track, and the sound one beside them keeps showing.
    void malformedPlayers() {
        for (const char* shape : {"metadata-ints", "metadata-iv", "changed-ss", "invalidated-ints"})
            startPlayer(QString("hostile.%1").arg(QString(shape).replace('-', '_')),
                        {"--title", "Bad", "--status", "Stopped", "--hostile", shape});
        startPlayer("mpv", {"--title", "Film"});
        service->start();
        QVERIFY(showsTitle("Film"));
        QVERIFY(QTest::qWaitFor([&] { return source->players().size() == 5; }, 5000));
        QTest::qWait(500);
        QCOMPARE(service->nowPlaying().title, "Film");
    }

    // A burst of changes from one player: one read on its way at a time and a single one after it, which sees
    // the last position. Changes of status bring a read of Position, changes naming properties without their
    // values a read of them all. A read that is never answered, or whose player leaves and comes back, holds
    // back no later read.
    void readsPerBurst_data() {
        QTest::addColumn<bool>("restart");
        QTest::addColumn<QStringList>("invalidated");
        QTest::addColumn<QString>("read");
        QTest::newRow("Position: unanswered read times out") << false << QStringList() << "Get Position";
        QTest::newRow("Position: player leaves during a read") << true << QStringList() << "Get Position";
        QTest::newRow("all: unanswered read times out") << false << QStringList{"Metadata"} << "GetAll";
        QTest::newRow("all: player leaves during a read") << true << QStringList{"Metadata"} << "GetAll";
    }

    void readsPerBurst() {
        QFETCH(bool, restart);
        QFETCH(QStringList, invalidated);
        QFETCH(QString, read);
        QFile::remove(logOf("burst"));
        const QStringList arguments{"--title", "Film", "--status", "Paused", "--log-reads"};
        startPlayer("burst", arguments + QStringList{"--stall-reads", "1"});
        service->start();
        QVERIFY(showsTitle("Film"));
        const auto position = [&] { return source->players().value(0).positionSeconds; };
        flood("burst", 1, invalidated);
        QVERIFY(QTest::qWaitFor([&] { return logged("burst") == read + "\n"; }, 3000));
        if (restart) {
            players.back()->kill();
            QVERIFY(QTest::qWaitFor([&] { return source->players().isEmpty(); }, 3000));
            startPlayer("burst", arguments);
            QVERIFY(QTest::qWaitFor([&] { return source->players().value(0).status == "Paused"; }, 3000));
        } else {
            QTest::qWait(DBusMprisSource::callTimeoutMs + 200);
        }
        flood("burst", 200, invalidated);
        QVERIFY(QTest::qWaitFor([&] { return position() == 200; }, 3000));
        QTest::qWait(300);
        QCOMPARE(logged("burst").count(read), 3);
        QCOMPARE(position(), 200.0);
    }

    // A megabyte of title and of artist is cut where it comes in.
    void hugeTextsAreCut() {
        startPlayer("huge", {"--title", "Long", "--artist", "Band", "--repeat", "250000"});
        service->start();
        QVERIFY(QTest::qWaitFor([&] { return service->nowPlaying().title.startsWith("LongLong"); }, 10000));
        QCOMPARE(service->nowPlaying().title.size(), maxOutsideTextLength);
        QCOMPARE(service->nowPlaying().artist.size(), maxOutsideTextLength);
    }
};

QTEST_MAIN(DBusMprisSourceTest)
#include "tst_DBusMprisSource.moc"
