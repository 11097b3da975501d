#pragma once

#include "Foundation/AlignedTimer.h"
#include "Foundation/Clock.h"
#include "Foundation/CoalescedRequest.h"
#include "Foundation/DegradedReporter.h"
#include "Models/MusicModels.h"
#include "Platform/Mpris/IArtworkFetcher.h"
#include "Platform/Mpris/IMprisSource.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>
#include <optional>

// What is playing, kept for the music tab and the compact bar. Spotify, the one scripted player here, wins
// whenever it has a track; otherwise the session's players are asked and one is chosen (a playing one,
// else the one paused most recently). Changes arrive from the players' own signals and a 30 s poll; between
// them a 1 s tick moves the elapsed time of a playing track. Commands and volume changes never wait for the
// player: each is an asynchronous call, and a command the player refuses is sent on to Spotify.
class MusicService : public QObject {
    Q_OBJECT
public:
    enum class Command {
        Play = 0,
        Pause = 1,
        TogglePlayPause = 2,
        Stop = 3,
        NextTrack = 4,
        PreviousTrack = 5
    };

    static inline const QString spotifyBundleIdentifier = QStringLiteral("com.spotify.client");
    static inline const QString spotifyBusName = QStringLiteral("org.mpris.MediaPlayer2.spotify");
    static constexpr int artworkCacheLimit = 41;
    static constexpr int elapsedTickMs = 1000;
    static constexpr int pollMs = 30000;
    static constexpr int refreshSoonMs = 300;

    struct Dependencies {
        std::unique_ptr<IMprisSource> source;
        std::unique_ptr<IArtworkFetcher> artwork;
        std::unique_ptr<IClock> clock;
        IScheduler* scheduler = nullptr;
        DegradedReporter reportDegraded;
    };

    explicit MusicService(Dependencies dependencies, QObject* parent = nullptr);
    ~MusicService() override;

    const NowPlayingInfo& nowPlaying() const { return m_nowPlaying; }
    std::optional<double> volume() const { return m_volume; }

    void start();
    void stop();
    void fetchNowPlaying();

    bool sendCommand(Command command);
    void togglePlayPause() { sendCommand(Command::TogglePlayPause); }
    void nextTrack() { sendCommand(Command::NextTrack); }
    void previousTrack() { sendCommand(Command::PreviousTrack); }
    void fetchVolume(std::optional<QString> bundleId = std::nullopt);
    void setVolume(double value);

    // One elapsed tick, as the 1 s timer runs it.
    void tickElapsed();
    bool isElapsedTickRunning() const { return m_elapsedTimer.isActive(); }
    bool isPollRunning() const { return m_pollTimer.isActive(); }

    // The MPRIS method a command becomes for a player (Spotify has no stop: it pauses).
    static QString methodFor(Command command, const QString& bundleId);
    // The player to show among the session's: a playing one first, else the one paused most recently;
    // stopped players and players without a title count as nothing.
    static std::optional<MprisPlayer> selectPlayer(const QList<MprisPlayer>& players);
    // Only file, http and https addresses are fetched.
    static bool isFetchableArtwork(const QUrl& address);
    // 0…100; a value that is not a number counts as 0.
    static double clampVolume(double value);

Q_SIGNALS:
    void nowPlayingChanged();
    void volumeChanged();

private:
    struct Snapshot {
        NowPlayingInfo track;
        QString artworkURL;
    };

    void applyPlayers();
    std::optional<MprisPlayer> spotifyPlayer() const;
    static Snapshot snapshotOf(const MprisPlayer& player, const QString& bundleId);
    void apply(Snapshot snapshot);
    void downloadArtwork(const QString& address, const QString& forTrack);
    void retryArtworkForNewTrack(const QString& address, const QString& askedFor);
    void clearNowPlaying();
    void publish(NowPlayingInfo track);
    void syncElapsedTimer();
    void refreshSoon();
    void readSpotifyVolume(const QString& busName);
    void takeVolumeAnswer(std::optional<double> fraction);
    void setVolumeValue(std::optional<double> volume);
    void sendVolume(int percent);
    bool sendToSpotify(Command command);
    void runCommand(const QString& busName, Command command, const QString& bundleId);

    Dependencies m_deps;
    NowPlayingInfo m_nowPlaying;
    std::optional<double> m_volume;
    QTimer m_elapsedTimer;
    AlignedTimer m_pollTimer;
    QHash<QString, QImage> m_artworkCache;
    QHash<QString, QString> m_artworkLoading; // address → the track it was asked for
    std::optional<QString> m_currentArtworkURL;
    QDateTime m_lastFetchDate;
    double m_lastFetchedElapsed = 0;
    bool m_sourceConnected = false;
    bool m_started = false;
    CoalescedRequest m_volumeRead;
    // Volume writes: one in flight, the newest waiting value behind it.
    bool m_volumeInFlight = false;
    std::optional<int> m_volumeWaiting;
    std::optional<int> m_volumeLastSent;
};
