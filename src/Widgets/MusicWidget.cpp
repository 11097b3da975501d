#include "Widgets/MusicWidget.h"

#include "Foundation/L10n.h"

#include <algorithm>
#include <cmath>

MusicWidget::MusicWidget(std::unique_ptr<MusicService> service, NotchHardwareProfile profile, QObject* parent)
    : NotchWidget(parent)
    , m_service(std::move(service))
    , m_profile(profile)
    , m_name(L10n::text("musica.aba.titulo", "Música", "Tooltip da aba de música na tab bar")) {
    connect(m_service.get(), &MusicService::nowPlayingChanged, this, &MusicWidget::handleNowPlaying);
    connect(m_service.get(), &MusicService::volumeChanged, this, &MusicWidget::volumeChanged);
}

QUrl MusicWidget::compactBody() const {
    return QUrl(QStringLiteral("qrc:/Views/Music/MusicCompactView.qml"));
}

QUrl MusicWidget::expandedBody() const {
    return QUrl(QStringLiteral("qrc:/Views/Music/MusicExpandedView.qml"));
}

double MusicWidget::compactProgress() const {
    const auto& track = m_service->nowPlaying();
    return NowPlayingInfo::progressFraction(track.elapsedTime, track.duration, 0.02);
}

double MusicWidget::expandedProgress() const {
    const auto& track = m_service->nowPlaying();
    return NowPlayingInfo::progressFraction(track.elapsedTime, track.duration, 0.01);
}

QString MusicWidget::playPauseSymbol() const {
    return isPlaying() ? QStringLiteral("pause.fill") : QStringLiteral("play.fill");
}

QString MusicWidget::emptyTitle() const {
    return L10n::text("musica.vazia.titulo", "Nenhuma música tocando",
                      "Estado vazio do player: nada tocando agora");
}

QString MusicWidget::emptyDetail() const {
    return L10n::text("musica.vazia.detalhe",
                      "Abra um player compatível com MPRIS, como Spotify, Rhythmbox ou VLC.",
                      "Instrução no estado vazio do player de música");
}

void MusicWidget::dragVolume(double x, double width) {
    const double fraction = width > 0 && std::isfinite(x) ? std::clamp(x / width, 0.0, 1.0) : 0.0;
    m_service->setVolume(fraction * 100);
}

// The cover changes only with a new image, not at every tick.
void MusicWidget::handleNowPlaying() {
    const qint64 artworkKey = m_service->nowPlaying().artwork.cacheKey();
    if (artworkKey != m_artworkKey) {
        m_artworkKey = artworkKey;
        Q_EMIT artworkChanged();
    }
    Q_EMIT trackChanged();
    if (hasCompactContent() != m_hadTrack) {
        m_hadTrack = hasCompactContent();
        Q_EMIT hasCompactContentChanged();
    }
}
