#include "Platform/Mpris/DBusMprisSource.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QPointer>

#include <cmath>

namespace {

const QString mprisPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString mprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString busService = QStringLiteral("org.freedesktop.DBus");
const QString busPath = QStringLiteral("/org/freedesktop/DBus");

// Nested D-Bus containers arrive as QDBusArgument inside a QVariant.
QVariantMap asMap(const QVariant& value) {
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

QStringList asStringList(const QVariant& value) {
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QStringList>(value.value<QDBusArgument>());
    if (value.metaType().id() == QMetaType::QString)
        return {value.toString()};
    return value.toStringList();
}

QVariant unwrap(const QVariant& value) {
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

// Lengths and positions in microseconds; players send int64, uint64 or int32.
double microsecondsToSeconds(const QVariant& value) {
    bool ok = false;
    const qlonglong us = value.toLongLong(&ok);
    return ok && us > 0 ? double(us) / 1e6 : 0;
}

} // namespace

// Receives one player's signals; QtDBus follows the well-known name to its current owner.
class DBusMprisSource::Watch : public QObject {
    Q_OBJECT
public:
    Watch(DBusMprisSource& source, QString busName)
        : m_source(source)
        , m_busName(std::move(busName)) {
        m_source.m_bus.connect(m_busName, mprisPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
                               this, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        m_source.m_bus.connect(m_busName, mprisPath, playerInterface, QStringLiteral("Seeked"), this,
                               SLOT(seeked(qlonglong)));
    }
    ~Watch() override {
        m_source.m_bus.disconnect(m_busName, mprisPath, propertiesInterface,
                                  QStringLiteral("PropertiesChanged"), this,
                                  SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        m_source.m_bus.disconnect(m_busName, mprisPath, playerInterface, QStringLiteral("Seeked"), this,
                                  SLOT(seeked(qlonglong)));
    }

private Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated) {
        m_source.handlePropertiesChanged(m_busName, interface, changed, invalidated);
    }
    void seeked(qlonglong positionUs) { m_source.handleSeeked(m_busName, positionUs); }

private:
    DBusMprisSource& m_source;
    QString m_busName;
};

struct DBusMprisSource::Entry {
    MprisPlayer player;
    QElapsedTimer positionAge;
    std::unique_ptr<Watch> watch;
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
    m_bus.connect(busService, busPath, busService, QStringLiteral("NameOwnerChanged"), this,
                  SLOT(handleNameOwnerChanged(QString, QString, QString)));
    const auto listNames =
        QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("ListNames"));
    watchReply(listNames, this, [this](const QDBusMessage& reply) {
        for (const QString& name : reply.arguments().value(0).toStringList()) {
            if (name.startsWith(mprisPrefix))
                addPlayer(name);
        }
    });
    return true;
}

void DBusMprisSource::stop() {
    if (!m_started)
        return;
    m_started = false;
    m_bus.disconnect(busService, busPath, busService, QStringLiteral("NameOwnerChanged"), this,
                     SLOT(handleNameOwnerChanged(QString, QString, QString)));
    m_players.clear();
}

void DBusMprisSource::refresh() {
    if (m_players.isEmpty()) {
        QMetaObject::invokeMethod(this, &IMprisSource::playersChanged, Qt::QueuedConnection);
        return;
    }
    auto remaining = std::make_shared<int>(int(m_players.size()));
    for (const QString& busName : m_players.keys()) {
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
    watchReply(message, context, [done](const QDBusMessage& reply) {
        if (done)
            done(reply.type() == QDBusMessage::ReplyMessage);
    });
}

void DBusMprisSource::readVolume(const QString& busName, QObject* context,
                                 std::function<void(std::optional<double>)> done) {
    auto message =
        QDBusMessage::createMethodCall(busName, mprisPath, propertiesInterface, QStringLiteral("Get"));
    message.setArguments({playerInterface, QStringLiteral("Volume")});
    watchReply(message, context, [done](const QDBusMessage& reply) {
        bool ok = false;
        const double volume = unwrap(reply.arguments().value(0)).toDouble(&ok);
        done(reply.type() == QDBusMessage::ReplyMessage && ok ? std::optional<double>(volume) : std::nullopt);
    });
}

void DBusMprisSource::writeVolume(const QString& busName, double volume, QObject* context,
                                  std::function<void()> done) {
    auto message =
        QDBusMessage::createMethodCall(busName, mprisPath, propertiesInterface, QStringLiteral("Set"));
    message.setArguments(
        {playerInterface, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(volume))});
    watchReply(message, context, [done](const QDBusMessage&) {
        if (done)
            done();
    });
}

void DBusMprisSource::handleNameOwnerChanged(const QString& name, const QString&, const QString& newOwner) {
    if (!name.startsWith(mprisPrefix))
        return;
    if (newOwner.isEmpty())
        removePlayer(name);
    else
        addPlayer(name);
}

void DBusMprisSource::addPlayer(const QString& busName) {
    auto& entry = m_players[busName];
    if (!entry) {
        entry = std::make_shared<Entry>();
        entry->player.busName = busName;
        entry->player.lastActive = ++m_activity;
        entry->watch = std::make_unique<Watch>(*this, busName);
    }
    readAll(busName, [this] { Q_EMIT playersChanged(); });
}

void DBusMprisSource::removePlayer(const QString& busName) {
    if (m_players.remove(busName) > 0)
        Q_EMIT playersChanged();
}

// A player that vanished while its answer was pending is not brought back by that answer.
void DBusMprisSource::readAll(const QString& busName, std::function<void()> then) {
    auto message =
        QDBusMessage::createMethodCall(busName, mprisPath, propertiesInterface, QStringLiteral("GetAll"));
    message.setArguments({playerInterface});
    std::weak_ptr<Entry> weak = m_players.value(busName);
    watchReply(message, this, [this, weak, then](const QDBusMessage& reply) {
        if (const auto entry = weak.lock(); entry && reply.type() == QDBusMessage::ReplyMessage) {
            merge(*entry, asMap(reply.arguments().value(0)));
            entry->positionAge.start();
        }
        then();
    });
}

void DBusMprisSource::readPosition(const QString& busName) {
    auto message =
        QDBusMessage::createMethodCall(busName, mprisPath, propertiesInterface, QStringLiteral("Get"));
    message.setArguments({playerInterface, QStringLiteral("Position")});
    std::weak_ptr<Entry> weak = m_players.value(busName);
    watchReply(message, this, [this, weak](const QDBusMessage& reply) {
        const auto entry = weak.lock();
        if (!entry || reply.type() != QDBusMessage::ReplyMessage)
            return;
        entry->player.positionSeconds = microsecondsToSeconds(unwrap(reply.arguments().value(0)));
        entry->positionAge.start();
        Q_EMIT playersChanged();
    });
}

void DBusMprisSource::merge(Entry& entry, const QVariantMap& properties) {
    MprisPlayer& player = entry.player;
    if (properties.contains(QStringLiteral("PlaybackStatus")))
        player.status = unwrap(properties.value(QStringLiteral("PlaybackStatus"))).toString();
    if (properties.contains(QStringLiteral("Position"))) {
        player.positionSeconds = microsecondsToSeconds(unwrap(properties.value(QStringLiteral("Position"))));
        entry.positionAge.start();
    }
    if (!properties.contains(QStringLiteral("Metadata")))
        return;
    const QVariantMap metadata = asMap(unwrap(properties.value(QStringLiteral("Metadata"))));
    const auto text = [&](const char* key) { return unwrap(metadata.value(QLatin1String(key))).toString(); };
    player.title = text("xesam:title");
    player.album = text("xesam:album");
    player.artUrl = text("mpris:artUrl");
    player.artist =
        asStringList(unwrap(metadata.value(QStringLiteral("xesam:artist")))).join(QStringLiteral(", "));
    player.lengthSeconds = microsecondsToSeconds(unwrap(metadata.value(QStringLiteral("mpris:length"))));
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
        readAll(busName, [this] { Q_EMIT playersChanged(); });
    if (moved) {
        entry->player.lastActive = ++m_activity;
        readPosition(busName);
    }
    Q_EMIT playersChanged();
}

void DBusMprisSource::handleSeeked(const QString& busName, qlonglong positionUs) {
    const auto entry = m_players.value(busName);
    if (!entry)
        return;
    entry->player.positionSeconds = positionUs > 0 ? double(positionUs) / 1e6 : 0;
    entry->positionAge.start();
    Q_EMIT playersChanged();
}

void DBusMprisSource::watchReply(const QDBusMessage& message, QObject* context,
                                 std::function<void(const QDBusMessage&)> done) {
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, callTimeoutMs), this);
    QPointer<QObject> guard(context);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, guard, done] {
        watcher->deleteLater();
        if (guard)
            done(watcher->reply());
    });
}

#include "DBusMprisSource.moc"
