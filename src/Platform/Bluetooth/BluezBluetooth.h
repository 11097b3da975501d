#pragma once

#include "Foundation/SystemProgram.h"
#include "Platform/Bluetooth/IBluetooth.h"
#include "Platform/DBus/DBusReply.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMap>
#include <QVariantMap>

#include <memory>
#include <vector>

// BlueZ on the system bus: GetManagedObjects once, then InterfacesAdded, InterfacesRemoved and
// PropertiesChanged, read again whenever bluetoothd comes back. bluetoothd is never started on our behalf:
// one that is not running counts as absent until it appears. Radio power through Adapter1.Powered, falling
// back to "rfkill unblock bluetooth" (or "block") when the switch is refused, then asking once more;
// Device1.Connect and Disconnect with a 30 s timeout.
class BluezBluetooth final : public IBluetooth {
    Q_OBJECT
public:
    // `rfkill`: the program of the fallback; empty for none.
    explicit BluezBluetooth(QDBusConnection systemBus, QObject* parent = nullptr,
                            QString rfkill = systemProgram(QStringLiteral("rfkill")));

    void load() override;
    QList<BluetoothDeviceInfo> devices() const override;
    BluetoothPresence presence() const override;
    std::optional<bool> adapterPowered() const override;
    void setPowered(bool on, QObject* context, Done done) override;
    void setConnected(const QString& address, bool connect, QObject* context, Done done) override;

private:
    using Interfaces = QMap<QString, QVariantMap>;
    void readManagedObjects();
    void onOwnerChanged(const QString& newOwner);
    void onInterfacesAdded(const QDBusMessage& message);
    void onInterfacesRemoved(const QDBusMessage& message);
    void onPropertiesChanged(const PropertiesChange& change);
    QString adapterPath() const;
    void writePowered(const QString& adapter, bool on, QObject* context, Done done);

    QDBusConnection m_bus;
    QString m_rfkill;
    bool m_loaded = false;
    bool m_listed = false; // m_objects is what bluetoothd listed, or empty because it is not running
    std::vector<std::unique_ptr<DBusSignalWatch>> m_signals;
    QMap<QString, Interfaces> m_objects; // object path → interface → properties
};
