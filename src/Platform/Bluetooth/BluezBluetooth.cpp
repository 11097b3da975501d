#include "Platform/Bluetooth/BluezBluetooth.h"

#include "Foundation/OutsideText.h"
#include "Foundation/SystemProgram.h"
#include "Platform/DBus/DBusReply.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <QProcess>

namespace {

const QString bluez = QStringLiteral("org.bluez");
const QString adapterInterface = QStringLiteral("org.bluez.Adapter1");
const QString deviceInterface = QStringLiteral("org.bluez.Device1");
const QString batteryInterface = QStringLiteral("org.bluez.Battery1");
const QString objectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
constexpr int readTimeoutMs = 5000;
constexpr int connectTimeoutMs = 30000;

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;

void registerTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<Interfaces>();
        qDBusRegisterMetaType<ManagedObjects>();
        return true;
    }();
    Q_UNUSED(registered);
}

// Values that are containers themselves (ManufacturerData, ServiceData) arrive still marshalled as
// QDBusArgument; nothing here reads them, so they are kept empty.
QVariantMap plain(QVariantMap properties) {
    for (auto it = properties.begin(); it != properties.end(); ++it)
        if (it->userType() == qMetaTypeId<QDBusArgument>())
            *it = QVariant();
    return properties;
}

bool isReply(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage;
}

// The bus's answer for a name that nobody owns.
bool isNotRunning(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ErrorMessage &&
           (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
            reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"));
}

// An answer known at once still arrives on the main loop, like one from the stack.
void answerLater(QObject* context, IBluetooth::Done done, bool ok) {
    QMetaObject::invokeMethod(
        context, [done = std::move(done), ok] { done(ok); }, Qt::QueuedConnection);
}

} // namespace

BluezBluetooth::BluezBluetooth(QDBusConnection systemBus, QObject* parent, QString rfkill)
    : IBluetooth(parent)
    , m_bus(std::move(systemBus))
    , m_rfkill(std::move(rfkill)) {
    registerTypes();
}

void BluezBluetooth::load() {
    if (m_loaded || !m_bus.isConnected())
        return;
    m_loaded = true;
    const auto watch = [this](const QString& interface, const QString& name, auto handler) {
        m_signals.push_back(std::make_unique<DBusSignalWatch>(
            m_bus, bluez, QString(), interface, name,
            [this, handler](const QDBusMessage& message) { (this->*handler)(message); }));
    };
    watch(objectManager, QStringLiteral("InterfacesAdded"), &BluezBluetooth::onInterfacesAdded);
    watch(objectManager, QStringLiteral("InterfacesRemoved"), &BluezBluetooth::onInterfacesRemoved);
    m_signals.push_back(DBusSignalWatch::propertiesChanged(
        m_bus, bluez, {}, [this](const PropertiesChange& change) { onPropertiesChanged(change); }));
    auto* watcher = new QDBusServiceWatcher(bluez, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) { onOwnerChanged(newOwner); });
    readManagedObjects();
}

// bluetoothd gone has nothing, and bluetoothd just started has listed nothing yet.
void BluezBluetooth::onOwnerChanged(const QString& newOwner) {
    m_objects.clear();
    m_listed = true;
    Q_EMIT changed();
    if (!newOwner.isEmpty())
        readManagedObjects();
}

void BluezBluetooth::readManagedObjects() {
    QDBusMessage call = QDBusMessage::createMethodCall(bluez, QStringLiteral("/"), objectManager,
                                                       QStringLiteral("GetManagedObjects"));
    call.setAutoStartService(false);
    callAsync(m_bus, call, readTimeoutMs, this, [this](const QDBusMessage& reply) {
        const auto objects = isNotRunning(reply) ? std::optional(ManagedObjects())
                             : isReply(reply)    ? peerValue<ManagedObjects>(reply.arguments().value(0))
                                                 : std::nullopt;
        if (!objects)
            return;
        m_objects.clear();
        m_listed = true;
        for (auto it = objects->begin(); it != objects->end(); ++it)
            for (auto iface = it->begin(); iface != it->end(); ++iface)
                m_objects[it.key().path()][iface.key()] = plain(iface.value());
        Q_EMIT changed();
    });
}

void BluezBluetooth::onInterfacesAdded(const QDBusMessage& message) {
    const auto path = message.arguments().value(0).value<QDBusObjectPath>().path();
    const auto interfaces = peerValue<Interfaces>(message.arguments().value(1)).value_or(Interfaces());
    if (path.isEmpty())
        return;
    for (auto it = interfaces.begin(); it != interfaces.end(); ++it)
        m_objects[path][it.key()] = plain(it.value());
    Q_EMIT changed();
}

void BluezBluetooth::onInterfacesRemoved(const QDBusMessage& message) {
    const auto path = message.arguments().value(0).value<QDBusObjectPath>().path();
    if (!m_objects.contains(path))
        return;
    for (const QString& name : peerValue<QStringList>(message.arguments().value(1)).value_or(QStringList()))
        m_objects[path].remove(name);
    if (m_objects.value(path).isEmpty())
        m_objects.remove(path);
    Q_EMIT changed();
}

void BluezBluetooth::onPropertiesChanged(const PropertiesChange& change) {
    auto object = m_objects.find(change.path);
    if (object == m_objects.end() || !object->contains(change.interface))
        return;
    const QVariantMap changedValues = plain(change.changed);
    QVariantMap& properties = (*object)[change.interface];
    for (auto it = changedValues.begin(); it != changedValues.end(); ++it)
        properties.insert(it.key(), it.value());
    for (const QString& name : change.invalidated)
        properties.remove(name);
    Q_EMIT changed();
}

QList<BluetoothDeviceInfo> BluezBluetooth::devices() const {
    QList<BluetoothDeviceInfo> devices;
    for (const Interfaces& interfaces : m_objects) {
        if (!interfaces.contains(deviceInterface))
            continue;
        const QVariantMap device = interfaces.value(deviceInterface);
        const QString address = device.value(QStringLiteral("Address")).toString();
        if (address.isEmpty())
            continue;
        QString name = device.value(QStringLiteral("Alias")).toString();
        if (name.isEmpty())
            name = device.value(QStringLiteral("Name")).toString();
        BluetoothDeviceInfo info{address,
                                 cappedText(name),
                                 device.value(QStringLiteral("Icon")).toString(),
                                 device.value(QStringLiteral("Paired")).toBool() ||
                                     device.value(QStringLiteral("Bonded")).toBool(),
                                 device.value(QStringLiteral("Connected")).toBool(),
                                 std::nullopt};
        const QVariant level = interfaces.value(batteryInterface).value(QStringLiteral("Percentage"));
        if (level.isValid() && level.canConvert<int>())
            info.battery = level.toInt();
        devices.append(info);
    }
    return devices;
}

QString BluezBluetooth::adapterPath() const {
    for (auto it = m_objects.begin(); it != m_objects.end(); ++it)
        if (it->contains(adapterInterface))
            return it.key();
    return {};
}

BluetoothPresence BluezBluetooth::presence() const {
    if (!m_listed)
        return BluetoothPresence::Unknown;
    return adapterPath().isEmpty() ? BluetoothPresence::Absent : BluetoothPresence::Present;
}

std::optional<bool> BluezBluetooth::adapterPowered() const {
    const QString path = adapterPath();
    if (path.isEmpty())
        return std::nullopt;
    return m_objects.value(path).value(adapterInterface).value(QStringLiteral("Powered")).toBool();
}

void BluezBluetooth::setPowered(bool on, QObject* context, Done done) {
    const QString adapter = adapterPath();
    if (adapter.isEmpty())
        return answerLater(context, std::move(done), false);
    if (adapterPowered() == on)
        return answerLater(context, std::move(done), true);
    QPointer<BluezBluetooth> self(this);
    writePowered(adapter, on, context, [self, adapter, on, context, done](bool ok) {
        if (ok || !self || self->m_rfkill.isEmpty())
            return done(ok);
        // The radio may be held by rfkill: unblock (or block) it, then ask once more.
        auto* rfkill = new QProcess(context);
        QObject::connect(rfkill, &QProcess::finished, context, [self, rfkill, adapter, on, context, done] {
            rfkill->deleteLater();
            if (!self)
                return done(false);
            self->writePowered(adapter, on, context, done);
        });
        QObject::connect(rfkill, &QProcess::errorOccurred, context,
                         [rfkill, done](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart) {
                                 rfkill->deleteLater();
                                 done(false);
                             }
                         });
        rfkill->start(self->m_rfkill, {on ? QStringLiteral("unblock") : QStringLiteral("block"),
                                       QStringLiteral("bluetooth")});
    });
}

void BluezBluetooth::writePowered(const QString& adapter, bool on, QObject* context, Done done) {
    writeProperty(m_bus, {bluez, adapter, adapterInterface}, QStringLiteral("Powered"), on, connectTimeoutMs,
                  context, std::move(done));
}

void BluezBluetooth::setConnected(const QString& address, bool connect, QObject* context, Done done) {
    QString path;
    for (auto it = m_objects.begin(); it != m_objects.end() && path.isEmpty(); ++it)
        if (it->value(deviceInterface)
                .value(QStringLiteral("Address"))
                .toString()
                .compare(address, Qt::CaseInsensitive) == 0)
            path = it.key();
    if (path.isEmpty())
        return answerLater(context, std::move(done), false);
    const QDBusMessage call = QDBusMessage::createMethodCall(
        bluez, path, deviceInterface, connect ? QStringLiteral("Connect") : QStringLiteral("Disconnect"));
    callAsync(m_bus, call, connectTimeoutMs, context,
              [done = std::move(done)](const QDBusMessage& reply) { done(isReply(reply)); });
}
