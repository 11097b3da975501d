#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// A Bluetooth device as the radio stack knows it.
struct BluetoothDeviceInfo {
    QString address; // "AA:BB:CC:DD:EE:FF" as the stack gives it
    QString name;    // alias, else name; may be empty
    QString icon;    // freedesktop icon name such as "audio-headset"; may be empty
    bool paired = false;
    bool connected = false;
    std::optional<int> battery; // percent, as reported (not limited)
};

// Whether there is a radio to show.
enum class BluetoothPresence {
    Unknown, // not asked yet, or the stack could not be asked
    Absent,  // no Bluetooth service on the bus, or one that lists no adapter
    Present, // an adapter is listed
};

// The Bluetooth stack: its devices and adapter, kept current from the stack's own change signals after one
// initial read. Answers arrive on the main loop and are dropped once `context` is gone.
class IBluetooth : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(bool ok)>;
    using QObject::QObject;

    // Reads the stack once and subscribes to its changes; later calls do nothing.
    virtual void load() = 0;
    virtual QList<BluetoothDeviceInfo> devices() const = 0;
    virtual BluetoothPresence presence() const = 0;
    // The adapter's power, or none when there is no adapter.
    virtual std::optional<bool> adapterPowered() const = 0;
    virtual void setPowered(bool on, QObject* context, Done done) = 0;
    virtual void setConnected(const QString& address, bool connect, QObject* context, Done done) = 0;

Q_SIGNALS:
    void changed();
};
