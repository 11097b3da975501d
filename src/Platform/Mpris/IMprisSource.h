#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// One media player on the session bus as its last answers describe it.
struct MprisPlayer {
    QString busName; // "org.mpris.MediaPlayer2.<name>[.instance…]"
    QString status;  // "Playing", "Paused", "Stopped" or empty before the first answer
    QString title;
    QString artist; // the artists joined by ", "
    QString album;
    QString artUrl;
    double lengthSeconds = 0;
    double positionSeconds = 0; // as of the moment players() was read
    quint64 lastActive = 0;     // larger = more recently started, resumed, paused or changed track
};

// The players of the session (MPRIS): who is there, what each plays, and the calls that control them.
// Every call is asynchronous with a short timeout; a player that hangs or vanishes only makes its call
// fail.
class IMprisSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts watching the bus; false when there is no session bus. Both may be called repeatedly.
    virtual bool start() = 0;
    virtual void stop() = 0;
    // Reads every player again; playersChanged follows once the answers are in.
    virtual void refresh() = 0;
    virtual QList<MprisPlayer> players() const = 0;

    // Calls a method of org.mpris.MediaPlayer2.Player ("Play", "PlayPause", "Next", …).
    virtual void call(const QString& busName, const QString& method, QObject* context,
                      std::function<void(bool delivered)> done) = 0;
    // The player's Volume, 0.0–1.0; none when it could not be read.
    virtual void readVolume(const QString& busName, QObject* context,
                            std::function<void(std::optional<double>)> done) = 0;
    virtual void writeVolume(const QString& busName, double volume, QObject* context,
                             std::function<void()> done) = 0;

Q_SIGNALS:
    void playersChanged();
};
