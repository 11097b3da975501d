#pragma once

#include "Platform/Bluetooth/IBluetooth.h"

#include <QPointer>

// A Bluetooth stack whose devices and radio a test sets; requests wait until the test answers them.
class FakeBluetooth final : public IBluetooth {
public:
    struct Request {
        QPointer<QObject> context;
        Done done;
        QString address; // empty for a radio request
    };

    void load() override {}
    QList<BluetoothDeviceInfo> devices() const override { return deviceList; }
    BluetoothPresence presence() const override { return presenceNow; }
    std::optional<bool> adapterPowered() const override {
        return presenceNow == BluetoothPresence::Present ? std::optional(powered) : std::nullopt;
    }
    void setPowered(bool, QObject* context, Done done) override { requests.append({context, done, {}}); }
    void setConnected(const QString& address, bool, QObject* context, Done done) override {
        requests.append({context, done, address});
    }
    void answer(bool ok) {
        if (const Request request = requests.takeFirst(); request.context)
            request.done(ok);
    }

    QList<BluetoothDeviceInfo> deviceList;
    BluetoothPresence presenceNow = BluetoothPresence::Present;
    bool powered = true;
    QList<Request> requests;
};
