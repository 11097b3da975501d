#pragma once

#include <QList>
#include <QString>

#include <optional>

// One row of the devices list: the internal battery or a peripheral.
struct DeviceBattery {
    QString id;
    QString name;
    QString iconSystemName;
    std::optional<int> percent; // none: the device gives no level (BlueZ gives one only while connected)
    bool isCharging = false;
    std::optional<QString> btAddress; // lower case, "-" between the byte pairs
    bool isConnected = true;
    bool operator==(const DeviceBattery&) const = default;
};

// A paired Bluetooth device as the matching rule sees it.
struct PairedDeviceInfo {
    QString name;
    QString address; // lower case, "-" between the byte pairs
    bool isConnected = false;
};
