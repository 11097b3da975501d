#include "FakeArtworkFetcher.h"
#include "FakeAudioSystem.h"
#include "FakeClock.h"
#include "FakeMprisSource.h"
#include "InMemoryPreferences.h"
#include "Services/AudioDeviceService.h"
#include "Services/MusicService.h"
#include "Widgets/AudioWidget.h"

#include <QtTest>

#include <limits>

namespace {

const QString spotifyBus = MusicService::spotifyBusName;
const QString vlcBus = QStringLiteral("org.mpris.MediaPlayer2.vlc");

MprisPlayer player(const QString& bus, const QString& status, const QString& title = "Song",
                   quint64 lastActive = 1) {
    return {bus, status, title, {}, {}, {}, 200, 10, lastActive};
}

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinite = std::numeric_limits<double>::infinity();

constexpr std::uint32_t studio = 1, headsetMic = 2, speakers = 3, headset = 4;

QList<AudioDeviceRecord> usualDevices() {
    return {{studio, "studio_mic", "Studio", AudioTransport::usb, 2, 0, 48000},
            {headsetMic, "headset_mic", "Headset Mic", AudioTransport::bluetooth, 1, 0, 16000},
            {speakers, "speakers", "Speakers", AudioTransport::builtIn, 0, 2, 48000},
            {headset, "headset", "Headset", AudioTransport::bluetooth, 0, 1, 16000}};
}

} // namespace

// The music service over fake players and the audio devices over a fake sound server.
class MusicAudioServicesTest : public QObject {
    Q_OBJECT

    FakeMprisSource* source = nullptr;
    FakeArtworkFetcher* artwork = nullptr;
    FakeClock* clock = nullptr;
    FakeScheduler scheduler;
    std::unique_ptr<MusicService> service;

    InMemoryPreferences preferences;
    FakeAudioSystem* system = nullptr;
    std::unique_ptr<AudioWidget> audioWidget;
    AudioInputService* audio = nullptr;

    void makeAudio(QList<AudioDeviceRecord> devices, std::optional<std::uint32_t> input,
                   std::optional<std::uint32_t> output) {
        auto fake = std::make_unique<FakeAudioSystem>();
        system = fake.get();
        std::tie(system->all, system->input, system->output) = std::tuple(std::move(devices), input, output);
        audioWidget =
            std::make_unique<AudioWidget>(std::make_unique<AudioInputService>(std::move(fake), preferences));
        audio = &audioWidget->service();
        audioWidget->start();
    }

    void startWith(const QList<MprisPlayer>& players) {
        source->current = players;
        service->start();
    }

private Q_SLOTS:
    void init() {
        auto s = std::make_unique<FakeMprisSource>();
        auto a = std::make_unique<FakeArtworkFetcher>();
        auto c = std::make_unique<FakeClock>();
        std::tie(source, artwork, clock) = std::tuple(s.get(), a.get(), c.get());
        service = std::make_unique<MusicService>(
            MusicService::Dependencies{std::move(s), std::move(a), std::move(c), &scheduler, {}});
        preferences.remove(AudioInputService::lockedInputKey);
    }

    // Times never wrap into hours; fractions stay within the minimum and 1 whatever the numbers.
    void timesAndFractions() {
        const std::pair<double, const char*> times[] = {
            {0, "0:00"},     {75.9, "1:15"}, {3725, "62:05"},    {59.99, "0:59"},
            {3600, "60:00"}, {-3, "0:00"},   {infinite, "0:00"}, {notANumber, "0:00"}};
        for (const auto& [seconds, text] : times)
            QCOMPARE(NowPlayingInfo::formatTime(seconds), QString::fromLatin1(text));
        const std::tuple<double, double, double> fractions[] = {{50, 200, 0.25},         {5, 0, 0.02},
                                                                {300, 200, 1},           {-4, 200, 0.02},
                                                                {notANumber, 200, 0.02}, {5, infinite, 0.02}};
        for (const auto& [elapsed, duration, fraction] : fractions)
            QCOMPARE(NowPlayingInfo::progressFraction(elapsed, duration, 0.02), fraction);
    }

    // Which of the session's players is shown: a playing one, else the latest pause; never a stopped one, one
    // without a title or one that has not answered yet.
    void selection() {
        const QString a = "org.mpris.MediaPlayer2.a", b = "org.mpris.MediaPlayer2.b";
        const std::pair<QList<MprisPlayer>, QString> rows[] = {
            {{player(a, "Playing", "A", 1), player(b, "Paused", "B", 9)}, a},
            {{player(a, "Paused", "A", 3), player(b, "Paused", "B", 4)}, b},
            {{player(a, "Stopped"), player(b, "Playing", "")}, {}},
            {{player(a, "")}, {}}};
        for (const auto& [players, shown] : rows)
            QCOMPARE(MusicService::selectPlayer(players).value_or(MprisPlayer()).busName, shown);
    }

    // Spotify wins while it has a track, even paused; its volume is read; other players have none.
    void spotifyWins() {
        source->volumeAnswer = 0.29;
        startWith({player(vlcBus, "Playing", "Video"), player(spotifyBus, "Paused", "Tune")});
        QCOMPARE(service->nowPlaying().title, QStringLiteral("Tune"));
        QCOMPARE(service->volume(), 29.0);
        source->setPlayers({player(vlcBus, "Playing", "Video"), player(spotifyBus, "Stopped", "Tune")});
        QCOMPARE(service->nowPlaying().title, QStringLiteral("Video"));
        service->fetchVolume();
        QVERIFY(!service->volume());
    }

    // The volume belongs to the player shown: Spotify's is read for each of its tracks; as soon as another
    // player's track shows, it is absent, and an answer of Spotify's that comes after that is dropped. Steps
    // are the players on the bus ("spotify:Stopped mpv") or "answer" for Spotify's held answers; Spotify
    // answers 50, 60, 70… at successive steps; -1 is absent.
    void volumeFollowsTheShownPlayer_data() {
        QTest::addColumn<bool>("held");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<double>>("volumes");
        QTest::newRow("Spotify stops, mpv shows")
            << false << QStringList{"spotify mpv", "spotify:Stopped mpv"} << QList<double>{50, -1};
        QTest::newRow("Spotify quits, mpv starts")
            << false << QStringList{"spotify", "spotify mpv", "mpv"} << QList<double>{50, 60, -1};
        QTest::newRow("back to Spotify reads it again")
            << false << QStringList{"spotify", "mpv", "spotify:Paused mpv"} << QList<double>{50, -1, 70};
        QTest::newRow("Spotify's late answer")
            << true << QStringList{"spotify", "mpv", "answer"} << QList<double>{-1, -1, -1};
        QTest::newRow("Spotify's answer in time")
            << true << QStringList{"spotify mpv", "answer"} << QList<double>{-1, 60};
    }

    void volumeFollowsTheShownPlayer() {
        QFETCH(bool, held);
        QFETCH(QStringList, steps);
        QFETCH(QList<double>, volumes);
        const auto playersOf = [](const QString& step) {
            QList<MprisPlayer> players;
            for (const QString& token : step.split(u' ', Qt::SkipEmptyParts)) {
                const QString status = token.section(u':', 1).isEmpty() ? "Playing" : token.section(u':', 1);
                players.append(token.startsWith("spotify")
                                   ? player(spotifyBus, status, "Tune")
                                   : player("org.mpris.MediaPlayer2.mpv", status, "Film"));
            }
            return players;
        };
        source->holdVolumeReads = held;
        for (int i = 0; i < steps.size(); ++i) {
            source->volumeAnswer = 0.5 + 0.1 * i;
            if (steps[i] == "answer")
                source->answerVolumeReads();
            else if (i == 0)
                startWith(playersOf(steps[i]));
            else
                source->setPlayers(playersOf(steps[i]));
            QCOMPARE(service->volume().value_or(-1), volumes[i]);
        }
    }

    // A burst of Spotify's changes while its volume is being read asks for a single read after it.
    void volumeReadsPerBurst() {
        source->holdVolumeReads = true;
        startWith({player(spotifyBus, "Playing", "Tune")});
        for (int i = 0; i < 50; ++i)
            source->setPlayers({player(spotifyBus, "Playing", "Tune")});
        QCOMPARE(source->volumeReads, 1);
        source->volumeAnswer = 0.3;
        source->answerVolumeReads();
        QCOMPARE(service->volume(), 30.0);
        source->volumeAnswer = 0.4;
        source->answerVolumeReads();
        QCOMPARE(source->volumeReads, 2);
        QCOMPARE(service->volume(), 40.0);
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
    }

    // Where a command goes, which method it becomes and whether a refresh follows 0.3 s later.
    void commands() {
        using C = MusicService::Command;
        const std::tuple<QList<MprisPlayer>, C, QString, bool, bool> rows[] = {
            {{player(spotifyBus, "Playing")}, C::Stop, spotifyBus + " Pause", true, true},
            {{player(vlcBus, "Playing")}, C::Stop, vlcBus + " Stop", true, false},
            {{player(spotifyBus, "Stopped")}, C::NextTrack, spotifyBus + " Next", true, true},
            {{}, C::NextTrack, {}, false, true}};
        for (const auto& [players, command, call, delivered, refresh] : rows) {
            init();
            startWith(players);
            const int before = source->refreshes;
            QCOMPARE(service->sendCommand(command), delivered);
            QCOMPARE(source->calls.value(0), call);
            scheduler.advance(MusicService::refreshSoonMs);
            QCOMPARE(source->refreshes > before, refresh);
        }
    }

    // A session player's command that it refuses, or that finds it gone from the bus, goes to Spotify when
    // Spotify is on the bus, and the track is read again 0.3 s later; an accepted one brings its own signals.
    void refusedCommandsFallBack_data() {
        QTest::addColumn<bool>("spotifyOnBus");
        QTest::addColumn<bool>("playerStays"); // still on the bus when the command is sent
        QTest::addColumn<bool>("delivered");   // the player's answer
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("refresh");
        const QString vlc = vlcBus + " PlayPause", spotify = spotifyBus + " PlayPause";
        QTest::newRow("accepted") << true << true << true << QStringList{vlc} << false;
        QTest::newRow("refused, Spotify on the bus")
            << true << true << false << QStringList{vlc, spotify} << true;
        QTest::newRow("refused, no Spotify") << false << true << false << QStringList{vlc} << true;
        QTest::newRow("player left the bus") << true << false << false << QStringList{spotify} << true;
    }

    void refusedCommandsFallBack() {
        QFETCH(bool, spotifyOnBus);
        QFETCH(bool, playerStays);
        QFETCH(bool, delivered);
        QList<MprisPlayer> players{player(vlcBus, "Playing")};
        if (spotifyOnBus)
            players.append(player(spotifyBus, "Stopped"));
        startWith(players);
        QCOMPARE(service->nowPlaying().appBundleIdentifier, vlcBus);
        if (!playerStays)
            source->current.removeFirst();
        const int before = source->refreshes;
        service->togglePlayPause();
        source->answerCalls(delivered);
        QTEST(source->calls, "calls");
        scheduler.advance(MusicService::refreshSoonMs - 1);
        QCOMPARE(source->refreshes, before);
        scheduler.advance(1);
        QTEST(source->refreshes > before, "refresh");
    }

    // Clamped and published at once, sent truncated; during a drag one write is in flight, only the newest
    // waiting value follows it, and an unchanged value is not sent again.
    void volume() {
        const std::pair<double, double> clamps[] = {{150, 100}, {-5, 0}, {42.7, 42.7}, {notANumber, 0}};
        for (const auto& [value, clamped] : clamps)
            QCOMPARE(MusicService::clampVolume(value), clamped);
        startWith({player(spotifyBus, "Playing")});
        service->setVolume(42.7);
        QCOMPARE(service->volume(), 42.7);
        for (double value : {10.0, 20.0, 30.0, 30.4})
            service->setVolume(value);
        QCOMPARE(source->writes, QList<double>{0.42});
        source->completeWrite();
        QCOMPARE(source->writes, (QList<double>{0.42, 0.30}));
        source->completeWrite();
        service->setVolume(30.9);
        source->setPlayers({player(vlcBus, "Playing")});
        service->setVolume(80);
        QCOMPARE(source->writes.size(), 2);
    }

    void artworkAddresses() {
        for (const char* address : {"file:///tmp/cover.png", "HTTPS://img.example/c.jpg"})
            QVERIFY2(MusicService::isFetchableArtwork(QUrl(QString::fromLatin1(address))), address);
        for (const char* address :
             {"http:///c.jpg", "ftp://img.example/c.jpg", "data:image/png;base64,AAAA", "cover.png"})
            QVERIFY2(!MusicService::isFetchableArtwork(QUrl(QString::fromLatin1(address))), address);
    }

    // A load that ends after the track moved on only fills the cache; the track coming back shows it at once.
    void staleArtworkOnlyFillsTheCache() {
        MprisPlayer first = player(vlcBus, "Playing", "First"), second = player(vlcBus, "Playing", "Second");
        first.artUrl = QStringLiteral("file:///a.png");
        second.artUrl = QStringLiteral("file:///b.png");
        startWith({first});
        source->setPlayers({first});
        QCOMPARE(artwork->requested.size(), 1);
        source->setPlayers({second});
        artwork->finish(QUrl(first.artUrl), QImage(4, 4, QImage::Format_RGB32));
        QVERIFY(service->nowPlaying().artwork.isNull());
        source->setPlayers({first});
        QVERIFY(!service->nowPlaying().artwork.isNull());
    }

    // A failed load is asked again when the track changes, also for a track with the same cover that came in
    // while it ran; the load that then succeeds shows.
    void failedArtworkIsTriedAgainWhenTheTrackChanges() {
        MprisPlayer first = player(vlcBus, "Playing", "First"), second = player(vlcBus, "Playing", "Second"),
                    third = player(vlcBus, "Playing", "Third");
        first.artUrl = second.artUrl = third.artUrl = QStringLiteral("file:///album.png");
        const QUrl cover(first.artUrl);
        startWith({first});
        QCOMPARE(artwork->requested.size(), 1);
        artwork->finish(cover, QImage());
        QCOMPARE(artwork->requested.size(), 1);
        source->setPlayers({second});
        QCOMPARE(artwork->requested.size(), 2);
        source->setPlayers({third}); // while the second load runs
        artwork->finish(cover, QImage());
        QCOMPARE(artwork->requested.size(), 3);
        artwork->finish(cover, QImage(4, 4, QImage::Format_RGB32));
        QVERIFY(!service->nowPlaying().artwork.isNull());
    }

    void audioFormatAndPhoneMode() {
        const std::tuple<double, int, const char*, bool> rows[] = {{44100, 2, "estéreo 44 kHz", false},
                                                                   {48000, 1, "mono 48 kHz", true},
                                                                   {24000, 2, "estéreo 24 kHz", true},
                                                                   {16000, 0, "mono 16 kHz", true},
                                                                   {0, 1, "", false},
                                                                   {notANumber, 2, "", false}};
        for (const auto& [rate, channels, detail, phoneMode] : rows) {
            QCOMPARE(AudioInputService::formatDetail(rate, channels), QString::fromUtf8(detail));
            QCOMPARE(AudioInputService::isPhoneMode(rate, channels), phoneMode);
        }
    }

    // A device without a name or id gets fallbacks, and the fallback id is what a lock stores.
    void audioUnnamedDevice() {
        makeAudio({{9, "", "", 0, 1, 0, 0}}, 9, std::nullopt);
        QCOMPARE(audio->inputs().value(0).name, QStringLiteral("Dispositivo 9"));
        audio->toggleLock();
        QCOMPARE(preferences.value(AudioInputService::lockedInputKey), QVariant(QStringLiteral("id:9")));
    }

    // Another program changes the default input while the locked device is unplugged: nothing is set and
    // the lock stays stored. (With the device present it is put back: see the pulseaudio test.)
    void audioLockedDeviceAbsent() {
        makeAudio(usualDevices(), studio, speakers);
        audio->toggleLock();
        system->all.removeFirst();
        system->changeInput(headsetMic);
        QCoreApplication::processEvents();
        QCOMPARE(system->input, headsetMic);
        QCOMPARE(preferences.value(AudioInputService::lockedInputKey),
                 QVariant(QStringLiteral("studio_mic")));
    }

    // The user's own choice moves the lock instead of being reverted; without a lock none is set, and
    // switching the lock on without a default input leaves it off and the key removed.
    void audioChoiceMovesTheLock() {
        preferences.setValue(AudioInputService::lockedInputKey, QStringLiteral("gone"));
        makeAudio(usualDevices(), std::nullopt, speakers);
        audio->toggleLock();
        audio->toggleLock();
        QVERIFY(!audio->lockedUID() && !preferences.contains(AudioInputService::lockedInputKey));
        system->changeInput(studio);
        audioWidget->selectInput(1);
        QCoreApplication::processEvents();
        QVERIFY(!audio->lockedUID());
        audio->toggleLock();
        audioWidget->selectInput(0);
        QCoreApplication::processEvents();
        QCOMPARE(system->input, studio);
        QCOMPARE(audio->lockedUID(), QStringLiteral("studio_mic"));
        QCOMPARE(system->inputWrites, (QList<std::uint32_t>{headsetMic, studio}));
    }

    // Name rules before transport rules; "fone" names headphones, but not inside "microfone".
    void audioDeviceSymbols_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::uint32_t>("transport");
        QTest::addColumn<QString>("symbol");
        using namespace AudioTransport;
        const std::tuple<const char*, std::uint32_t, const char*> rows[] = {
            {"Microfone interno", builtIn, "laptopcomputer"},
            {"Microfone USB", usb, "cable.connector"},
            {"Microfone", bluetooth, "wave.3.right"},
            {"Microfones agregados", aggregate, "app.fill"},
            {"Fone de ouvido", bluetooth, "headphones"},
            {"Microfone do fone JBL", bluetooth, "headphones"},
            {"Fone interno", builtIn, "headphones"},
            {"Wireless Buds", bluetooth, "headphones"},
            {"AirPods Pro", builtIn, "airpods"},
            {"Living Room TV", bluetooth, "display"},
            {"Studio Interface", usb, "cable.connector"},
        };
        for (const auto& [name, transport, symbol] : rows)
            QTest::newRow(name) << QString::fromUtf8(name) << transport << QString::fromLatin1(symbol);
    }

    void audioDeviceSymbols() {
        QFETCH(QString, name);
        QFETCH(std::uint32_t, transport);
        QTEST(AudioDeviceInfo({1, "uid", name, transport}).iconSystemName(), "symbol");
    }

    // A phone-mode output warns in the tab icon even with the input locked; otherwise the lock shows.
    void audioTabIcon() {
        makeAudio(usualDevices(), studio, headset);
        audio->toggleLock();
        QCOMPARE(audioWidget->icon(), QStringLiteral("waveform.badge.exclamationmark"));
        audioWidget->selectOutput(0);
        QCoreApplication::processEvents();
        QCOMPARE(audioWidget->icon(), QStringLiteral("mic.fill"));
    }
};

QTEST_GUILESS_MAIN(MusicAudioServicesTest)
#include "tst_MusicAudioServices.moc"
