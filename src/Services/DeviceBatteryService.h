#pragma once

#include "Foundation/AlignedTimer.h"
#include "Models/DeviceBattery.h"
#include "Platform/Bluetooth/IBluetooth.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>

// Where the battery readings come from; each call blocks and runs off the GUI thread.
struct DeviceBatterySources {
    std::function<std::optional<DeviceBattery>()> internalBattery;
    std::function<QList<DeviceBattery>()> peripherals;

    // sysfs under `powerSupplyRoot`, UPower for the internal battery when sysfs has none.
    static DeviceBatterySources
    onThisSystem(const QString& powerSupplyRoot = QStringLiteral("/sys/class/power_supply"));
};

// The devices list: the internal battery first, then the peripherals with their levels, matched to the paired
// Bluetooth devices, and the paired devices that give no level; the radio's power; and the connect and
// disconnect requests running. Refreshes every 60 s while started. Where the stack cannot tell whether there
// is a radio, the radio counts as there and on; where it tells there is none, as absent and off.
class DeviceBatteryService : public QObject {
    Q_OBJECT

public:
    explicit DeviceBatteryService(QObject* parent = nullptr);
    DeviceBatteryService(DeviceBatterySources sources, IBluetooth* bluetooth, QObject* parent = nullptr);

    const QList<DeviceBattery>& devices() const { return m_devices; }
    bool loaded() const { return m_loaded; } // a refresh has ended
    bool bluetoothAvailable() const { return m_bluetoothAvailable; }
    bool bluetoothPoweredOn() const { return m_bluetoothPoweredOn; }
    bool radioBusy() const { return m_radioBusy; }
    bool isInFlight(const QString& id) const { return m_inFlight.contains(id); }
    std::optional<QString> errorMessage(const QString& id) const;
    QList<DeviceBattery> connectedDevices() const;
    QList<DeviceBattery> pairedDisconnected() const;
    bool isStarted() const { return m_timer.isActive(); }

    void start();
    void stop();
    void refresh();
    void setBluetoothPower(bool on);
    void toggleConnection(const DeviceBattery& device);

    // Starts the desktop's Bluetooth panel when one is installed; returns the program started, or empty.
    static QString openBluetoothSettings();

    // Display name: "’s" and "'s" removed, blanks trimmed. Matching name: the same, lower-cased.
    static QString cleanName(QString name);
    static QString normalisedName(const QString& name);
    static QString icon(const QString& name, const QString& minorType);
    // The row with the address and connection state of the paired device of the same name (else one whose
    // name contains the other); an empty name on either side matches nothing.
    static DeviceBattery merge(DeviceBattery device, const QList<PairedDeviceInfo>& paired);
    static QString pairedAddress(const QString& address);
    // The minor type a freedesktop icon name stands for (audio-headset → headphones, ...).
    static QString minorTypeFor(const QString& iconName);

Q_SIGNALS:
    void devicesChanged();
    void loadedChanged();
    void bluetoothAvailableChanged();
    void bluetoothPoweredOnChanged();
    void radioBusyChanged();
    void requestsChanged(); // in-flight requests or error texts

private:
    QList<DeviceBattery> bluetoothRows(const QList<BluetoothDeviceInfo>& devices);
    void publish(std::optional<DeviceBattery> internal, QList<DeviceBattery> peripherals);
    void readRadio();
    void setPoweredOn(bool on);
    void setRadioBusy(bool busy);

    DeviceBatterySources m_sources;
    IBluetooth* m_bluetooth;
    AlignedTimer m_timer;
    QList<DeviceBattery> m_devices;
    bool m_loaded = false;
    bool m_bluetoothAvailable = true;
    bool m_bluetoothPoweredOn = true;
    bool m_radioBusy = false;
    QSet<QString> m_inFlight;
    QHash<QString, QString> m_connectionErrors;
    QHash<QString, int> m_lastLevels; // by address: BlueZ drops the level when a device disconnects
};
