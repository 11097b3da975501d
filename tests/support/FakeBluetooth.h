#pragma once

#include "Platform/Bluetooth/IBluetooth.h"

#include <QPointer>

// A Bluetooth stack whose devices and radio a test sets; requests wait until the test answers them.
class FakeBluetooth final : public IBluetooth {
public:
    void load() override {}
    QList<BluetoothDeviceInfo> devices() const override { return deviceList; }
    std::optional<bool> adapterPowered() const override { return powered; }
    void setPowered(bool on, QObject* context, Done done) override {
        requests.append({context, done, on, {}});
    }
    void setConnected(const QString& address, bool connect, QObject* context, Done done) override {
        requests.append({context, done, connect, address});
    }
    void answer(bool ok) {
        const Request request = requests.takeFirst();
        if (request.context)
            request.done(ok);
    }

    struct Request {
        QPointer<QObject> context;
        Done done;
        bool on;
        QString address;
    };
    QList<BluetoothDeviceInfo> deviceList;
    std::optional<bool> powered = true;
    QList<Request> requests;
};
