#pragma once

#include "Services/DeviceBatteryService.h"
#include "Widgets/NotchWidget.h"

#include <QVariantList>

// The devices tab (expanded only): owns the device battery service and is the tab view's model, deciding the
// switch's state, the status line, the text in place of an empty list, the sections and each row's level
// colour, bar and trailing control.
class DeviceBatteryWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(bool radioOn READ radioOn NOTIFY radioChanged)
    Q_PROPERTY(bool radioEnabled READ radioEnabled NOTIFY radioChanged)
    Q_PROPERTY(QString radioText READ radioText NOTIFY radioChanged)
    Q_PROPERTY(QString radioToolTip READ radioToolTip NOTIFY radioChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY rowsChanged)
    Q_PROPERTY(QString placeholder READ placeholder NOTIFY rowsChanged)
    Q_PROPERTY(QVariantList connectedRows READ connectedRows NOTIFY rowsChanged)
    Q_PROPERTY(QVariantList pairedRows READ pairedRows NOTIFY rowsChanged)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    explicit DeviceBatteryWidget(QObject* parent = nullptr);
    DeviceBatteryWidget(DeviceBatterySources sources, IBluetooth* bluetooth, QObject* parent = nullptr);

    QString id() const override { return QStringLiteral("devices"); }
    QString name() const override { return m_name; }
    int priority() const override { return 5; }
    WidgetGroup group() const override { return WidgetGroup::DiaADia; }
    QString icon() const override { return QStringLiteral("battery.100"); }
    QUrl expandedBody() const override;
    void start() override { m_service->start(); }
    void stop() override { m_service->stop(); }

    DeviceBatteryService* service() const { return m_service; }
    bool radioOn() const { return m_service->bluetoothPoweredOn(); }
    bool radioBusy() const { return m_service->radioBusy(); }
    // The switch takes a tap unless a change runs or there is no radio.
    bool radioEnabled() const { return !radioBusy() && m_service->bluetoothAvailable(); }
    QString radioText() const;
    QString radioToolTip() const;
    QString statusText() const;
    // Shown instead of the list: the loading text until a refresh has ended, then the empty text while no
    // device is listed; empty when there are rows.
    QString placeholder() const;
    QVariantList connectedRows() const;
    QVariantList pairedRows() const;
    static QVariantMap texts();

    Q_INVOKABLE void refresh() { m_service->refresh(); }
    Q_INVOKABLE void toggleRadio() { m_service->setBluetoothPower(!m_service->bluetoothPoweredOn()); }
    Q_INVOKABLE void toggleConnection(const QString& rowId);
    Q_INVOKABLE void openSettings() { DeviceBatteryService::openBluetoothSettings(); }

    // What a row shows: level text and colour, bar fraction (never above 1, at least 0.01), trailing control.
    QVariantMap rowFor(const DeviceBattery& device) const;

Q_SIGNALS:
    void radioChanged();
    void rowsChanged();

private:
    DeviceBatteryService* m_service;
    QString m_name;
};
