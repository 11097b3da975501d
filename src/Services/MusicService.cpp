#include "Services/MusicService.h"

#include <algorithm>
#include <cmath>

namespace {

const QString playing = QStringLiteral("Playing");
const QString paused = QStringLiteral("Paused");

// What tells one track from the next.
QString trackIdentity(const NowPlayingInfo& track) {
    return QStringList{track.appBundleIdentifier.value_or(QString()), track.title, track.artist, track.album}
        .join(u'\n');
}

} // namespace

MusicService::MusicService(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(std::move(dependencies)) {
    m_elapsedTimer.setInterval(elapsedTickMs);
    m_elapsedTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_elapsedTimer, &QTimer::timeout, this, &MusicService::tickElapsed);
    m_pollTimer.setInterval(pollMs);
    connect(&m_pollTimer, &AlignedTimer::timeout, this, &MusicService::fetchNowPlaying);
}

MusicService::~MusicService() {
    stop();
}

void MusicService::start() {
    m_started = true;
    m_sourceConnected = m_deps.source->start();
    if (!m_sourceConnected && m_deps.reportDegraded)
        m_deps.reportDegraded(QStringLiteral("MPRIS"), QStringLiteral("sem barramento de sessão D-Bus"),
                              QStringLiteral("nenhum player aparece nem é controlado pela aba de música"));
    connect(m_deps.source.get(), &IMprisSource::playersChanged, this, &MusicService::applyPlayers,
            Qt::UniqueConnection);
    fetchNowPlaying();
    fetchVolume();
    m_pollTimer.start();
}

void MusicService::stop() {
    m_started = false;
    disconnect(m_deps.source.get(), &IMprisSource::playersChanged, this, &MusicService::applyPlayers);
    m_deps.source->stop();
    m_sourceConnected = false;
    m_elapsedTimer.stop();
    m_pollTimer.stop();
}

void MusicService::fetchNowPlaying() {
    if (m_sourceConnected)
        m_deps.source->refresh();
    else
        applyPlayers();
}

void MusicService::applyPlayers() {
    // Spotify wins while it has a track, playing or paused; stopped, it gives way to the other players.
    if (const auto spotify = spotifyPlayer(); spotify && selectPlayer({*spotify})) {
        apply(snapshotOf(*spotify, spotifyBundleIdentifier));
        return;
    }
    const auto chosen = selectPlayer(m_deps.source->players());
    if (!chosen) {
        m_currentArtworkURL.reset();
        clearNowPlaying();
        return;
    }
    apply(snapshotOf(*chosen, chosen->busName));
}

std::optional<MprisPlayer> MusicService::spotifyPlayer() const {
    for (const MprisPlayer& player : m_deps.source->players()) {
        const bool isSpotify =
            player.busName == spotifyBusName || player.busName.startsWith(spotifyBusName + QLatin1Char('.'));
        if (isSpotify)
            return player;
    }
    return std::nullopt;
}

MusicService::Snapshot MusicService::snapshotOf(const MprisPlayer& player, const QString& bundleId) {
    Snapshot snapshot;
    snapshot.track.title = player.title;
    snapshot.track.artist = player.artist;
    snapshot.track.album = player.album;
    snapshot.track.duration = player.lengthSeconds;
    snapshot.track.elapsedTime = player.positionSeconds;
    snapshot.track.isPlaying = player.status == playing;
    snapshot.track.appBundleIdentifier = bundleId;
    snapshot.artworkURL = player.artUrl;
    return snapshot;
}

// The volume is read again for Spotify's track and hidden at once for any other player's.
void MusicService::apply(Snapshot snapshot) {
    if (snapshot.artworkURL.isEmpty()) {
        m_currentArtworkURL.reset();
    } else {
        m_currentArtworkURL = snapshot.artworkURL;
        snapshot.track.artwork = m_artworkCache.value(snapshot.artworkURL);
        if (snapshot.track.artwork.isNull())
            downloadArtwork(snapshot.artworkURL, trackIdentity(snapshot.track));
    }
    m_lastFetchDate = m_deps.clock->now();
    m_lastFetchedElapsed = snapshot.track.elapsedTime;
    const auto bundleId = snapshot.track.appBundleIdentifier;
    publish(std::move(snapshot.track));
    syncElapsedTimer();
    fetchVolume(bundleId);
}

// One load per address at a time; an answer for an address the track no longer shows only fills the cache.
void MusicService::downloadArtwork(const QString& address, const QString& forTrack) {
    const QUrl url(address);
    if (!isFetchableArtwork(url) || m_artworkLoading.contains(address))
        return;
    m_artworkLoading.insert(address, forTrack);
    m_deps.artwork->fetch(url, this, [this, address](const QImage& image) {
        const QString askedFor = m_artworkLoading.take(address);
        if (image.isNull()) {
            retryArtworkForNewTrack(address, askedFor);
            return;
        }
        if (m_artworkCache.size() >= artworkCacheLimit)
            m_artworkCache.clear();
        m_artworkCache.insert(address, image);
        if (m_currentArtworkURL == address) {
            NowPlayingInfo track = m_nowPlaying;
            track.artwork = image;
            publish(std::move(track));
        }
    });
}

// A failed load is tried again when the track has changed since it was asked for and still shows the address;
// a track that comes later tries again on its own.
void MusicService::retryArtworkForNewTrack(const QString& address, const QString& askedFor) {
    const QString current = trackIdentity(m_nowPlaying);
    if (m_currentArtworkURL == address && current != askedFor)
        downloadArtwork(address, current);
}

void MusicService::clearNowPlaying() {
    if (!m_nowPlaying.title.isEmpty())
        publish(NowPlayingInfo());
    syncElapsedTimer();
}

void MusicService::publish(NowPlayingInfo track) {
    m_nowPlaying = std::move(track);
    Q_EMIT nowPlayingChanged();
}

void MusicService::syncElapsedTimer() {
    if (m_started && m_nowPlaying.isPlaying) {
        if (!m_elapsedTimer.isActive())
            m_elapsedTimer.start();
    } else {
        m_elapsedTimer.stop();
    }
}

void MusicService::tickElapsed() {
    if (!m_nowPlaying.isPlaying)
        return;
    const double sinceFetch = double(m_lastFetchDate.msecsTo(m_deps.clock->now())) / 1000.0;
    m_nowPlaying.elapsedTime = std::min(m_nowPlaying.duration, m_lastFetchedElapsed + sinceFetch);
    Q_EMIT nowPlayingChanged();
}

void MusicService::refreshSoon() {
    m_deps.scheduler->after(refreshSoonMs, this, [this] { fetchNowPlaying(); });
}

// A session player showing its track takes the command itself; when it refuses it or has left the bus, and
// for Spotify's own track, the command goes to Spotify when it is on the bus, and the track is read again
// shortly after. True when the command went to a player; a refusal comes later.
bool MusicService::sendCommand(Command command) {
    const auto id = m_nowPlaying.appBundleIdentifier;
    const auto players = m_deps.source->players();
    const bool playerPresent = id && std::any_of(players.begin(), players.end(),
                                                 [&](const MprisPlayer& p) { return p.busName == *id; });
    if (!m_sourceConnected || !playerPresent)
        return sendToSpotify(command);
    m_deps.source->call(*id, methodFor(command, *id), this, [this, command](bool delivered) {
        if (!delivered)
            sendToSpotify(command);
    });
    return true;
}

bool MusicService::sendToSpotify(Command command) {
    const auto spotify = spotifyPlayer();
    if (spotify)
        runCommand(spotify->busName, command, spotifyBundleIdentifier);
    refreshSoon();
    return spotify.has_value();
}

void MusicService::runCommand(const QString& busName, Command command, const QString& bundleId) {
    m_deps.source->call(busName, methodFor(command, bundleId), this, nullptr);
}

void MusicService::fetchVolume(std::optional<QString> bundleId) {
    const auto id = bundleId ? bundleId : m_nowPlaying.appBundleIdentifier;
    const auto spotify = spotifyPlayer();
    if (id != spotifyBundleIdentifier || !spotify) {
        setVolumeValue(std::nullopt);
        return;
    }
    readSpotifyVolume(spotify->busName);
}

// One read on its way at a time; asks that come meanwhile (a burst of the player's changes) bring a single
// read after it.
void MusicService::readSpotifyVolume(const QString& busName) {
    if (!m_volumeRead.begin())
        return;
    m_deps.source->readVolume(busName, this, [this](std::optional<double> fraction) {
        takeVolumeAnswer(fraction);
        if (m_volumeRead.end())
            fetchVolume();
    });
}

// While the user's own writes are on their way the player's answer lags behind them: keep the drag's value.
// An answer that comes once another player's track shows is no longer this track's.
void MusicService::takeVolumeAnswer(std::optional<double> fraction) {
    if (!fraction || !std::isfinite(*fraction) || m_volumeInFlight ||
        m_nowPlaying.appBundleIdentifier != spotifyBundleIdentifier)
        return;
    const double percent = std::round(clampVolume(*fraction * 100));
    m_volumeLastSent = int(percent);
    setVolumeValue(percent);
}

void MusicService::setVolume(double value) {
    if (m_nowPlaying.appBundleIdentifier != spotifyBundleIdentifier || !spotifyPlayer())
        return;
    const double clamped = clampVolume(value);
    setVolumeValue(clamped);
    const int percent = int(clamped);
    if (m_volumeInFlight)
        m_volumeWaiting = percent;
    else if (percent != m_volumeLastSent)
        sendVolume(percent);
}

void MusicService::sendVolume(int percent) {
    const auto spotify = spotifyPlayer();
    if (!spotify)
        return;
    m_volumeInFlight = true;
    m_volumeLastSent = percent;
    m_deps.source->writeVolume(spotify->busName, percent / 100.0, this, [this] {
        m_volumeInFlight = false;
        const auto waiting = std::exchange(m_volumeWaiting, std::nullopt);
        if (waiting && waiting != m_volumeLastSent)
            sendVolume(*waiting);
    });
}

void MusicService::setVolumeValue(std::optional<double> volume) {
    if (volume == m_volume)
        return;
    m_volume = volume;
    Q_EMIT volumeChanged();
}

QString MusicService::methodFor(Command command, const QString& bundleId) {
    switch (command) {
    case Command::Play:
        return QStringLiteral("Play");
    case Command::Pause:
        return QStringLiteral("Pause");
    case Command::TogglePlayPause:
        return QStringLiteral("PlayPause");
    case Command::Stop:
        return bundleId == spotifyBundleIdentifier ? QStringLiteral("Pause") : QStringLiteral("Stop");
    case Command::NextTrack:
        return QStringLiteral("Next");
    case Command::PreviousTrack:
        return QStringLiteral("Previous");
    }
    return {};
}

std::optional<MprisPlayer> MusicService::selectPlayer(const QList<MprisPlayer>& players) {
    std::optional<MprisPlayer> best;
    const auto rank = [](const MprisPlayer& p) {
        return p.status == playing ? 2 : p.status == paused ? 1 : 0;
    };
    for (const MprisPlayer& player : players) {
        if (rank(player) == 0 || player.title.isEmpty())
            continue;
        if (!best || rank(player) > rank(*best) ||
            (rank(player) == rank(*best) && player.lastActive > best->lastActive))
            best = player;
    }
    return best;
}

bool MusicService::isFetchableArtwork(const QUrl& address) {
    const QString scheme = address.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return address.isLocalFile() && !address.toLocalFile().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !address.host().isEmpty();
}

double MusicService::clampVolume(double value) {
    return std::isnan(value) ? 0 : std::clamp(value, 0.0, 100.0);
}
