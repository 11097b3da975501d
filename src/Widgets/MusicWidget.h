#pragma once

#include "Models/NotchHardwareProfile.h"
#include "Services/MusicService.h"
#include "Widgets/NotchWidget.h"

#include <memory>

// The music tab and the player over the notch. The widget is also its views' model: every text, fraction
// and visibility the views show is decided here.
class MusicWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(bool hasTrack READ hasCompactContent NOTIFY trackChanged)
    Q_PROPERTY(QString title READ title NOTIFY trackChanged)
    Q_PROPERTY(QString artist READ artist NOTIFY trackChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY trackChanged)
    Q_PROPERTY(QString elapsedText READ elapsedText NOTIFY trackChanged)
    Q_PROPERTY(QString durationText READ durationText NOTIFY trackChanged)
    Q_PROPERTY(double compactProgress READ compactProgress NOTIFY trackChanged)
    Q_PROPERTY(double expandedProgress READ expandedProgress NOTIFY trackChanged)
    Q_PROPERTY(QImage artwork READ artwork NOTIFY artworkChanged)
    Q_PROPERTY(bool hasVolume READ hasVolume NOTIFY volumeChanged)
    Q_PROPERTY(double volume READ volume NOTIFY volumeChanged)
    Q_PROPERTY(QString playPauseSymbol READ playPauseSymbol NOTIFY trackChanged)
    Q_PROPERTY(QString emptyTitle READ emptyTitle CONSTANT)
    Q_PROPERTY(QString emptyDetail READ emptyDetail CONSTANT)
    Q_PROPERTY(double musicSideWidth READ musicSideWidth CONSTANT)
    Q_PROPERTY(double musicHorizontalInset READ musicHorizontalInset CONSTANT)
    Q_PROPERTY(double musicBottomInset READ musicBottomInset CONSTANT)

public:
    explicit MusicWidget(std::unique_ptr<MusicService> service,
                         NotchHardwareProfile profile = NotchHardwareProfile::current(),
                         QObject* parent = nullptr);

    QString id() const override { return QStringLiteral("music"); }
    QString name() const override { return m_name; }
    int priority() const override { return 3; }
    WidgetGroup group() const override { return WidgetGroup::DiaADia; }
    QString icon() const override { return QStringLiteral("music.note"); }
    bool hasCompactContent() const override { return !m_service->nowPlaying().title.isEmpty(); }
    bool showInCompactBar() const override { return true; }
    QUrl compactBody() const override;
    QUrl expandedBody() const override;
    void start() override { m_service->start(); }
    void stop() override { m_service->stop(); }

    MusicService& service() { return *m_service; }

    QString title() const { return m_service->nowPlaying().title; }
    QString artist() const { return m_service->nowPlaying().artist; }
    bool isPlaying() const { return m_service->nowPlaying().isPlaying; }
    QString elapsedText() const { return m_service->nowPlaying().elapsedString(); }
    QString durationText() const { return m_service->nowPlaying().durationString(); }
    double compactProgress() const;
    double expandedProgress() const;
    QImage artwork() const { return m_service->nowPlaying().artwork; }
    bool hasVolume() const { return m_service->volume().has_value(); }
    double volume() const { return m_service->volume().value_or(0); }
    QString playPauseSymbol() const;
    QString emptyTitle() const;
    QString emptyDetail() const;
    double musicSideWidth() const { return m_profile.musicSideWidth; }
    double musicHorizontalInset() const { return m_profile.musicHorizontalInset; }
    double musicBottomInset() const { return m_profile.musicBottomInset; }

    Q_INVOKABLE void togglePlayPause() { m_service->togglePlayPause(); }
    Q_INVOKABLE void nextTrack() { m_service->nextTrack(); }
    Q_INVOKABLE void previousTrack() { m_service->previousTrack(); }
    // A press or drag on the volume bar at x of a bar width wide.
    Q_INVOKABLE void dragVolume(double x, double width);

Q_SIGNALS:
    void trackChanged();
    void artworkChanged();
    void volumeChanged();

private:
    void handleNowPlaying();

    std::unique_ptr<MusicService> m_service;
    NotchHardwareProfile m_profile;
    QString m_name;
    qint64 m_artworkKey = 0;
    bool m_hadTrack = false;
};
