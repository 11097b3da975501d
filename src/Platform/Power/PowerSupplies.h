#pragma once

#include <QDBusConnection>
#include <QList>
#include <QString>

#include <optional>

// One battery as the system reports it.
struct BatteryReading {
    QString modelName; // empty when not reported
    int percent = 0;
    bool charging = false;
};

// Batteries under /sys/class/power_supply (the root is injectable): the internal battery (type Battery, scope
// not Device) and HID peripheral batteries (scope Device). Blocking file reads: call off the GUI thread.
class SysfsPowerSupplies {
public:
    explicit SysfsPowerSupplies(QString root = QStringLiteral("/sys/class/power_supply"));

    // Capacity, else energy (or charge) now against full, rounded, at most 100; the first battery by name.
    std::optional<BatteryReading> internalBattery() const;
    // Peripherals with a readable capacity, limited to 0...100, by entry name.
    QList<BatteryReading> peripherals() const;

private:
    QString m_root;
};

// The internal battery as UPower's display device reports it, or none (no UPower, no battery). Blocks for at
// most a couple of seconds: call off the GUI thread.
std::optional<BatteryReading> upowerInternalBattery(const QDBusConnection& systemBus);
