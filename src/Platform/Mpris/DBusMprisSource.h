#pragma once

#include "Platform/Mpris/IMprisSource.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QHash>
#include <QVariantMap>

#include <memory>

class DBusSignalWatch;

// The session's MPRIS players over QtDBus. Names are watched first (NameOwnerChanged), then listed
// (ListNames), so a player that appears meanwhile is not missed. Each player's PropertiesChanged and Seeked
// keep its record current; Position, which players rarely announce, is read after a change of status or
// track, and properties announced without their values are read back, each one read at a time however fast
// the changes come. Calls time out after about a second. Until the first listing has been read, refresh()
// reports nothing: the listing's answer reports the players once, so a restart never passes through "no
// players".
class DBusMprisSource final : public IMprisSource {
    Q_OBJECT
public:
    static constexpr int callTimeoutMs = 1000;

    explicit DBusMprisSource(QDBusConnection bus, QObject* parent = nullptr);
    ~DBusMprisSource() override;

    bool start() override;
    void stop() override;
    void refresh() override;
    QList<MprisPlayer> players() const override;
    void call(const QString& busName, const QString& method, QObject* context,
              std::function<void(bool)> done) override;
    void readVolume(const QString& busName, QObject* context,
                    std::function<void(std::optional<double>)> done) override;
    void writeVolume(const QString& busName, double volume, QObject* context,
                     std::function<void()> done) override;

private:
    struct Entry;

    void addPlayer(const QString& busName);
    void watchPlayer(const QString& busName);
    void readPlayers(const QStringList& busNames);
    void handleNameOwnerChanged(const QString& name, const QString& newOwner);
    void removePlayer(const QString& busName);
    void readAll(const QString& busName, std::function<void()> then);
    void readPosition(const QString& busName);
    void readInvalidated(const QString& busName);
    void merge(Entry& entry, const QVariantMap& properties);
    void handlePropertiesChanged(const QString& busName, const QString& interface, const QVariantMap& changed,
                                 const QStringList& invalidated);
    void handleSeeked(const QString& busName, double positionSeconds);
    QDBusConnection m_bus;
    bool m_started = false;
    bool m_listing = false; // the first ListNames has not answered yet
    std::unique_ptr<DBusSignalWatch> m_nameWatch;
    quint64 m_activity = 0;
    QHash<QString, std::shared_ptr<Entry>> m_players;
};
