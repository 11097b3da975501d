#include "Platform/DBus/DBusReply.h"

#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage propertiesCall(const DBusObject& object, const QString& method) {
    return QDBusMessage::createMethodCall(object.service, object.path, propertiesInterface, method);
}

bool isReply(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

} // namespace

void callAsync(const QDBusConnection& bus, const QDBusMessage& call, int timeoutMs, QObject* context,
               std::function<void(const QDBusMessage& reply)> done) {
    if (!context) {
        bus.asyncCall(call, timeoutMs);
        return;
    }
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(
            context,
            [done = std::move(done)] { done(QDBusMessage::createError(QDBusError::Disconnected, {})); },
            Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, timeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->reply());
    });
}

void readAllProperties(const QDBusConnection& bus, const DBusObject& object, int timeoutMs, QObject* context,
                       std::function<void(std::optional<QVariantMap>)> done) {
    QDBusMessage call = propertiesCall(object, QStringLiteral("GetAll"));
    call << object.interface;
    callAsync(bus, call, timeoutMs, context, [done = std::move(done)](const QDBusMessage& reply) {
        done(isReply(reply) ? std::optional(toVariantMap(reply.arguments().constFirst())) : std::nullopt);
    });
}

void readProperty(const QDBusConnection& bus, const DBusObject& object, const QString& name, int timeoutMs,
                  QObject* context, std::function<void(std::optional<QVariant>)> done) {
    QDBusMessage call = propertiesCall(object, QStringLiteral("Get"));
    call << object.interface << name;
    callAsync(bus, call, timeoutMs, context, [done = std::move(done)](const QDBusMessage& reply) {
        done(isReply(reply) ? std::optional(unwrapVariant(reply.arguments().constFirst())) : std::nullopt);
    });
}

void writeProperty(const QDBusConnection& bus, const DBusObject& object, const QString& name,
                   const QVariant& value, int timeoutMs, QObject* context, std::function<void(bool)> done) {
    QDBusMessage call = propertiesCall(object, QStringLiteral("Set"));
    call << object.interface << name << QVariant::fromValue(QDBusVariant(value));
    callAsync(bus, call, timeoutMs, context, [done = std::move(done)](const QDBusMessage& reply) {
        if (done)
            done(reply.type() == QDBusMessage::ReplyMessage);
    });
}

QVariantMap toVariantMap(const QVariant& value) {
    return peerValue<QVariantMap>(value).value_or(QVariantMap());
}

QVariant unwrapVariant(const QVariant& value) {
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

DBusSignalWatch::DBusSignalWatch(QDBusConnection bus, QString service, QString path, QString interface,
                                 QString name, std::function<void(const QDBusMessage&)> received,
                                 QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_service(std::move(service))
    , m_path(std::move(path))
    , m_interface(std::move(interface))
    , m_name(std::move(name))
    , m_received(std::move(received)) {
    m_subscribed = m_bus.isConnected() &&
                   m_bus.connect(m_service, m_path, m_interface, m_name, this, SLOT(receive(QDBusMessage)));
}

DBusSignalWatch::~DBusSignalWatch() {
    if (m_subscribed)
        m_bus.disconnect(m_service, m_path, m_interface, m_name, this, SLOT(receive(QDBusMessage)));
}

std::unique_ptr<DBusSignalWatch>
DBusSignalWatch::propertiesChanged(QDBusConnection bus, const QString& service, const QString& path,
                                   std::function<void(const PropertiesChange&)> changed) {
    return std::make_unique<DBusSignalWatch>(
        std::move(bus), service, path, propertiesInterface, QStringLiteral("PropertiesChanged"),
        [changed = std::move(changed)](const QDBusMessage& message) {
            const QList<QVariant> arguments = message.arguments();
            changed({message.path(), arguments.value(0).toString(), toVariantMap(arguments.value(1)),
                     peerValue<QStringList>(arguments.value(2)).value_or(QStringList())});
        });
}

void DBusSignalWatch::receive(const QDBusMessage& message) {
    m_received(message);
}
