#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

// Sends a method call without blocking and hands the reply (or the error, a timeout included) to `done` on
// the main loop. Nothing is delivered once `context` is gone; with no context the call is only sent.
void callAsync(const QDBusConnection& bus, const QDBusMessage& call, int timeoutMs, QObject* context,
               std::function<void(const QDBusMessage& reply)> done);

// Where a property lives: a service's object path and one of its interfaces.
struct DBusObject {
    QString service;
    QString path;
    QString interface;
};

// org.freedesktop.DBus.Properties.GetAll; nothing on any error.
void readAllProperties(const QDBusConnection& bus, const DBusObject& object, int timeoutMs, QObject* context,
                       std::function<void(std::optional<QVariantMap>)> done);

// org.freedesktop.DBus.Properties.Get, the value taken out of its variant; nothing on any error.
void readProperty(const QDBusConnection& bus, const DBusObject& object, const QString& name, int timeoutMs,
                  QObject* context, std::function<void(std::optional<QVariant>)> done);

// org.freedesktop.DBus.Properties.Set; `done` gets whether the peer accepted.
void writeProperty(const QDBusConnection& bus, const DBusObject& object, const QString& name,
                   const QVariant& value, int timeoutMs, QObject* context, std::function<void(bool)> done);

// A value a peer sent, read as `T` only when it is one: nested containers arrive as QDBusArgument, and
// qdbus_cast of one whose D-Bus signature is not the one `T` marshals to crashes, so any other shape is
// taken as absent. `T` must be known to QtDBus (built in, or registered with qDBusRegisterMetaType).
template <typename T> std::optional<T> peerValue(const QVariant& value) {
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const auto argument = value.value<QDBusArgument>();
        const char* expected = QDBusMetaType::typeToSignature(QMetaType::fromType<T>());
        if (!expected || argument.currentSignature() != QLatin1String(expected))
            return std::nullopt;
        return qdbus_cast<T>(argument);
    }
    if (value.metaType() == QMetaType::fromType<T>())
        return value.value<T>();
    return std::nullopt;
}

// An a{sv} from a peer, empty when it is anything else. Its values are taken out of their variants.
QVariantMap toVariantMap(const QVariant& value);
QVariant unwrapVariant(const QVariant& value);

struct PropertiesChange {
    QString path;
    QString interface;
    QVariantMap changed;
    QStringList invalidated;
};

// One signal subscription, dropped with this object. Empty service or path match any sender or object.
class DBusSignalWatch : public QObject {
    Q_OBJECT
public:
    DBusSignalWatch(QDBusConnection bus, QString service, QString path, QString interface, QString name,
                    std::function<void(const QDBusMessage&)> received, QObject* parent = nullptr);
    ~DBusSignalWatch() override;

    bool isSubscribed() const { return m_subscribed; }

    // org.freedesktop.DBus.Properties.PropertiesChanged of `path` (any object when empty), decoded.
    static std::unique_ptr<DBusSignalWatch>
    propertiesChanged(QDBusConnection bus, const QString& service, const QString& path,
                      std::function<void(const PropertiesChange&)> changed);

private Q_SLOTS:
    void receive(const QDBusMessage& message);

private:
    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    QString m_interface;
    QString m_name;
    std::function<void(const QDBusMessage&)> m_received;
    bool m_subscribed = false;
};
