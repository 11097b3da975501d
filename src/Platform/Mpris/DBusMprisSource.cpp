#include "Platform/Mpris/DBusMprisSource.h"

#include "Foundation/CoalescedRequest.h"
#include "Foundation/OutsideText.h"
#include "Platform/DBus/DBusReply.h"

#include <QDBusMessage>

namespace {

const QString mprisPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString mprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString busService = QStringLiteral("org.freedesktop.DBus");
const QString busPath = QStringLiteral("/org/freedesktop/DBus");

QStringList asStringList(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QString)
        return {value.toString()};
    return peerValue<QStringList>(value).value_or(QStringList());
}

// Lengths and positions in microseconds; players send int64, uint64 or int32.
double microsecondsToSeconds(const QVariant& value) {
    bool ok = false;
    const qlonglong us = value.toLongLong(&ok);
    return ok && us > 0 ? double(us) / 1e6 : 0;
}

DBusObject playerObject(const QString& busName) {
    return {busName, mprisPath, playerInterface};
}

} // namespace

struct DBusMprisSource::Entry {
    MprisPlayer player;
    QElapsedTimer positionAge;
    CoalescedRequest positionRead;
    CoalescedRequest invalidatedRead;
    std::unique_ptr<DBusSignalWatch> propertiesWatch;
    std::unique_ptr<DBusSignalWatch> seekedWatch;
};

DBusMprisSource::DBusMprisSource(QDBusConnection bus, QObject* parent)
    : IMprisSource(parent)
    , m_bus(std::move(bus)) {}

DBusMprisSource::~DBusMprisSource() {
    stop();
}

bool DBusMprisSource::start() {
    if (m_started)
        return true;
    if (!m_bus.isConnected())
        return false;
    m_started = true;
    m_nameWatch = std::make_unique<DBusSignalWatch>(
        m_bus, busService, busPath, busService, QStringLiteral("NameOwnerChanged"),
        [this](const QDBusMessage& message) {
            handleNameOwnerChanged(message.arguments().value(0).toString(),
                                   message.arguments().value(2).toString());
        });
    const auto listNames =
        QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("ListNames"));
    m_listing = true;
    callAsync(m_bus, listNames, callTimeoutMs, this, [this](const QDBusMessage& reply) {
        if (!m_started)
            return;
        m_listing = false;
        for (const QString& name : reply.arguments().value(0).toStringList()) {
            if (name.startsWith(mprisPrefix))
                watchPlayer(name);
        }
        readPlayers(m_players.keys());
    });
    return true;
}

void DBusMprisSource::stop() {
    if (!m_started)
        return;
    m_started = false;
    m_listing = false;
    m_nameWatch.reset();
    m_players.clear();
}

void DBusMprisSource::refresh() {
    if (!m_listing)
        readPlayers(m_players.keys());
}

// One report once every player named has answered (or failed to).
void DBusMprisSource::readPlayers(const QStringList& busNames) {
    if (busNames.isEmpty()) {
        QMetaObject::invokeMethod(this, &IMprisSource::playersChanged, Qt::QueuedConnection);
        return;
    }
    auto remaining = std::make_shared<int>(int(busNames.size()));
    for (const QString& busName : busNames) {
        readAll(busName, [this, remaining] {
            if (--*remaining == 0)
                Q_EMIT playersChanged();
        });
    }
}

QList<MprisPlayer> DBusMprisSource::players() const {
    QList<MprisPlayer> result;
    for (const auto& entry : m_players) {
        MprisPlayer player = entry->player;
        if (player.status == QLatin1String("Playing") && entry->positionAge.isValid())
            player.positionSeconds += double(entry->positionAge.elapsed()) / 1000.0;
        result.append(player);
    }
    return result;
}

void DBusMprisSource::call(const QString& busName, const QString& method, QObject* context,
                           std::function<void(bool)> done) {
    const auto message = QDBusMessage::createMethodCall(busName, mprisPath, playerInterface, method);
    callAsync(m_bus, message, callTimeoutMs, context, [done](const QDBusMessage& reply) {
        if (done)
            done(reply.type() == QDBusMessage::ReplyMessage);
    });
}

void DBusMprisSource::readVolume(const QString& busName, QObject* context,
                                 std::function<void(std::optional<double>)> done) {
    readProperty(m_bus, playerObject(busName), QStringLiteral("Volume"), callTimeoutMs, context,
                 [done](const std::optional<QVariant>& value) {
                     bool ok = false;
                     const double volume = value ? value->toDouble(&ok) : 0;
                     done(ok ? std::optional<double>(volume) : std::nullopt);
                 });
}

void DBusMprisSource::writeVolume(const QString& busName, double volume, QObject* context,
                                  std::function<void()> done) {
    writeProperty(m_bus, playerObject(busName), QStringLiteral("Volume"), volume, callTimeoutMs, context,
                  [done](bool) {
                      if (done)
                          done();
                  });
}

void DBusMprisSource::handleNameOwnerChanged(const QString& name, const QString& newOwner) {
    if (!name.startsWith(mprisPrefix))
        return;
    if (newOwner.isEmpty())
        removePlayer(name);
    else
        addPlayer(name);
}

void DBusMprisSource::addPlayer(const QString& busName) {
    watchPlayer(busName);
    readAll(busName, [this] { Q_EMIT playersChanged(); });
}

void DBusMprisSource::watchPlayer(const QString& busName) {
    auto& entry = m_players[busName];
    if (!entry) {
        entry = std::make_shared<Entry>();
        entry->player.busName = busName;
        entry->player.lastActive = ++m_activity;
        entry->propertiesWatch = DBusSignalWatch::propertiesChanged(
            m_bus, busName, mprisPath, [this, busName](const PropertiesChange& change) {
                handlePropertiesChanged(busName, change.interface, change.changed, change.invalidated);
            });
        entry->seekedWatch = std::make_unique<DBusSignalWatch>(
            m_bus, busName, mprisPath, playerInterface, QStringLiteral("Seeked"),
            [this, busName](const QDBusMessage& message) {
                handleSeeked(busName, microsecondsToSeconds(message.arguments().value(0)));
            });
    }
}

void DBusMprisSource::removePlayer(const QString& busName) {
    if (m_players.remove(busName) > 0)
        Q_EMIT playersChanged();
}

// A player that vanished while its answer was pending is not brought back by that answer.
void DBusMprisSource::readAll(const QString& busName, std::function<void()> then) {
    std::weak_ptr<Entry> weak = m_players.value(busName);
    readAllProperties(m_bus, playerObject(busName), callTimeoutMs, this,
                      [this, weak, then](const std::optional<QVariantMap>& properties) {
                          if (const auto entry = weak.lock(); entry && properties) {
                              merge(*entry, *properties);
                              entry->positionAge.start();
                          }
                          then();
                      });
}

// One Position read per player on its way at a time: changes announced meanwhile ask for a single read after
// it, which sees them all. A read that fails or times out ends as an answer does; a player that leaves takes
// its reads with it.
void DBusMprisSource::readPosition(const QString& busName) {
    const auto entry = m_players.value(busName);
    if (!entry)
        return;
    if (!entry->positionRead.begin())
        return;
    std::weak_ptr<Entry> weak = entry;
    readProperty(m_bus, playerObject(busName), QStringLiteral("Position"), callTimeoutMs, this,
                 [this, weak, busName](const std::optional<QVariant>& position) {
                     const auto entry = weak.lock();
                     if (!entry)
                         return;
                     if (entry->positionRead.end())
                         readPosition(busName);
                     if (!position)
                         return;
                     entry->player.positionSeconds = microsecondsToSeconds(*position);
                     entry->positionAge.start();
                     Q_EMIT playersChanged();
                 });
}

// Properties announced without their values are read back all at once, one read per player on its way at a
// time as for Position.
void DBusMprisSource::readInvalidated(const QString& busName) {
    const auto entry = m_players.value(busName);
    if (!entry || !entry->invalidatedRead.begin())
        return;
    std::weak_ptr<Entry> weak = entry;
    readAll(busName, [this, weak, busName] {
        if (const auto entry = weak.lock(); entry && entry->invalidatedRead.end())
            readInvalidated(busName);
        Q_EMIT playersChanged();
    });
}

// The maps come out of toVariantMap, whose values are already taken out of their variants.
void DBusMprisSource::merge(Entry& entry, const QVariantMap& properties) {
    MprisPlayer& player = entry.player;
    if (properties.contains(QStringLiteral("PlaybackStatus")))
        player.status = properties.value(QStringLiteral("PlaybackStatus")).toString();
    if (properties.contains(QStringLiteral("Position"))) {
        player.positionSeconds = microsecondsToSeconds(properties.value(QStringLiteral("Position")));
        entry.positionAge.start();
    }
    const auto metadata = peerValue<QVariantMap>(properties.value(QStringLiteral("Metadata")));
    if (!metadata) // absent, or not a map: the track stays as it was
        return;
    const auto text = [&](const char* key) { return metadata->value(QLatin1String(key)).toString(); };
    player.title = cappedText(text("xesam:title"));
    player.album = cappedText(text("xesam:album"));
    const QString artUrl = text("mpris:artUrl");
    player.artUrl = artUrl.size() <= maxOutsideTextLength ? artUrl : QString(); // a cut address is another
    player.artist =
        cappedText(asStringList(metadata->value(QStringLiteral("xesam:artist"))).join(QStringLiteral(", ")));
    player.lengthSeconds = microsecondsToSeconds(metadata->value(QStringLiteral("mpris:length")));
}

void DBusMprisSource::handlePropertiesChanged(const QString& busName, const QString& interface,
                                              const QVariantMap& changed, const QStringList& invalidated) {
    const auto entry = m_players.value(busName);
    if (!entry || interface != playerInterface)
        return;
    const bool moved =
        changed.contains(QStringLiteral("PlaybackStatus")) || changed.contains(QStringLiteral("Metadata"));
    merge(*entry, changed);
    if (!invalidated.isEmpty())
        readInvalidated(busName);
    if (moved) {
        entry->player.lastActive = ++m_activity;
        readPosition(busName);
    }
    Q_EMIT playersChanged();
}

void DBusMprisSource::handleSeeked(const QString& busName, double positionSeconds) {
    const auto entry = m_players.value(busName);
    if (!entry)
        return;
    entry->player.positionSeconds = positionSeconds;
    entry->positionAge.start();
    Q_EMIT playersChanged();
}
