#include "Services/DeviceBatteryService.h"

#include "Foundation/BackgroundWork.h"
#include "Foundation/L10n.h"
#include "Foundation/WhileAlive.h"
#include "Platform/Bluetooth/BluezBluetooth.h"
#include "Platform/Hardware/MacHardware.h"
#include "Platform/Power/PowerSupplies.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <QProcess>
#include <QtConcurrent>

#include <algorithm>

namespace {

constexpr int refreshIntervalMs = 60000;
constexpr int settleMs = 1500;

QString genericName() {
    return L10n::text("dispositivos.nome_generico", "Dispositivo",
                      "O sistema não informou o nome do periférico; usamos um rótulo genérico.");
}

DeviceBattery internalRow(const BatteryReading& reading) {
    return {QStringLiteral("mac-internal"),
            MacHardware::displayName(),
            QStringLiteral("laptopcomputer"),
            reading.percent,
            reading.charging,
            std::nullopt,
            true};
}

DeviceBattery peripheralRow(const BatteryReading& reading) {
    const QString name =
        reading.modelName.isEmpty() ? genericName() : DeviceBatteryService::cleanName(reading.modelName);
    return {QStringLiteral("ioreg-") + reading.modelName.toLower(),
            name,
            DeviceBatteryService::icon(reading.modelName, {}),
            reading.percent,
            reading.charging,
            std::nullopt,
            true};
}

// Rows by level, lowest first; rows without a level last.
bool levelOrder(const DeviceBattery& a, const DeviceBattery& b) {
    if (!a.percent || !b.percent)
        return a.percent.has_value() && !b.percent.has_value();
    return *a.percent < *b.percent;
}

// The desktop panels that show Bluetooth devices, in the order they are tried.
const QList<QStringList>& bluetoothPanels() {
    static const QList<QStringList> panels{
        {QStringLiteral("gnome-control-center"), QStringLiteral("bluetooth")},
        {QStringLiteral("systemsettings"), QStringLiteral("kcm_bluetooth")},
        {QStringLiteral("kcmshell6"), QStringLiteral("kcm_bluetooth")},
        {QStringLiteral("kcmshell5"), QStringLiteral("bluetooth")},
        {QStringLiteral("blueman-manager")},
        {QStringLiteral("blueberry")},
    };
    return panels;
}

} // namespace

DeviceBatterySources DeviceBatterySources::onThisSystem(const QString& powerSupplyRoot) {
    const SysfsPowerSupplies sysfs(powerSupplyRoot);
    return {[sysfs]() -> std::optional<DeviceBattery> {
                auto reading = sysfs.internalBattery();
                if (!reading)
                    reading = upowerInternalBattery(QDBusConnection::systemBus());
                return reading ? std::optional<DeviceBattery>(internalRow(*reading)) : std::nullopt;
            },
            [sysfs] {
                QList<DeviceBattery> rows;
                for (const BatteryReading& reading : sysfs.peripherals())
                    rows.append(peripheralRow(reading));
                return rows;
            }};
}

DeviceBatteryService::DeviceBatteryService(QObject* parent)
    : DeviceBatteryService(DeviceBatterySources::onThisSystem(), nullptr, parent) {}

DeviceBatteryService::DeviceBatteryService(DeviceBatterySources sources, IBluetooth* bluetooth,
                                           QObject* parent)
    : QObject(parent)
    , m_sources(std::move(sources))
    , m_bluetooth(bluetooth ? bluetooth : new BluezBluetooth(QDBusConnection::systemBus(), this)) {
    m_timer.setInterval(refreshIntervalMs);
    connect(&m_timer, &AlignedTimer::timeout, this, &DeviceBatteryService::refresh);
    connect(m_bluetooth, &IBluetooth::changed, this, [this] {
        if (isStarted())
            refresh();
    });
}

std::optional<QString> DeviceBatteryService::errorMessage(const QString& id) const {
    const auto it = m_connectionErrors.find(id);
    return it == m_connectionErrors.end() ? std::nullopt : std::optional<QString>(*it);
}

QList<DeviceBattery> DeviceBatteryService::connectedDevices() const {
    QList<DeviceBattery> rows;
    std::copy_if(m_devices.begin(), m_devices.end(), std::back_inserter(rows),
                 [](const DeviceBattery& d) { return d.isConnected; });
    return rows;
}

QList<DeviceBattery> DeviceBatteryService::pairedDisconnected() const {
    QList<DeviceBattery> rows;
    std::copy_if(m_devices.begin(), m_devices.end(), std::back_inserter(rows),
                 [](const DeviceBattery& d) { return d.btAddress && !d.isConnected; });
    return rows;
}

void DeviceBatteryService::start() {
    m_bluetooth->load();
    refresh();
    m_timer.start();
}

void DeviceBatteryService::stop() {
    m_timer.stop();
}

void DeviceBatteryService::refresh() {
    QtConcurrent::run(&backgroundWork(),
                      [sources = m_sources] {
                          return std::pair{sources.internalBattery(), sources.peripherals()};
                      })
        .then(answerContext(),
              [self = QPointer(this)](
                  const std::pair<std::optional<DeviceBattery>, QList<DeviceBattery>>& read) {
                  if (self)
                      self->publish(read.first, read.second);
              });
}

// Bluetooth rows: every paired device, with its level when it gives one now or gave one earlier in this run,
// and every other device with a level. A paired device is the row's own address and state; a device without
// a name shows the generic one and is keyed by its address.
QList<DeviceBattery> DeviceBatteryService::bluetoothRows(const QList<BluetoothDeviceInfo>& devices) {
    QList<DeviceBattery> rows;
    for (const BluetoothDeviceInfo& device : devices) {
        if (device.battery)
            m_lastLevels.insert(device.address, *device.battery);
        const auto level = m_lastLevels.constFind(device.address);
        const bool hasLevel = level != m_lastLevels.constEnd();
        if (!hasLevel && !device.paired)
            continue;
        const QString name = cleanName(device.name);
        DeviceBattery row{QStringLiteral("sp-") +
                              (name.isEmpty() ? pairedAddress(device.address) : device.name.toLower()),
                          name.isEmpty() ? genericName() : name,
                          icon(device.name, minorTypeFor(device.icon)),
                          hasLevel ? std::optional(*level) : std::nullopt,
                          false,
                          std::nullopt,
                          true};
        if (device.paired) {
            row.btAddress = pairedAddress(device.address);
            row.isConnected = device.connected;
        }
        rows.append(row);
    }
    return rows;
}

void DeviceBatteryService::publish(std::optional<DeviceBattery> internal, QList<DeviceBattery> peripherals) {
    const QList<BluetoothDeviceInfo> devices = m_bluetooth->devices();
    QMap<QString, DeviceBattery> byId;
    for (const DeviceBattery& row : peripherals + bluetoothRows(devices))
        byId.insert(row.id, row);
    QList<DeviceBattery> sorted = byId.values();
    std::stable_sort(sorted.begin(), sorted.end(), levelOrder);

    QList<PairedDeviceInfo> paired;
    for (const BluetoothDeviceInfo& device : devices)
        if (device.paired)
            paired.append({device.name, pairedAddress(device.address), device.connected});
    QList<DeviceBattery> rows;
    if (internal)
        rows.append(*internal);
    for (const DeviceBattery& row : sorted)
        rows.append(row.btAddress ? row : merge(row, paired));
    if (!m_loaded) {
        m_loaded = true;
        Q_EMIT loadedChanged();
    }
    if (rows != m_devices) {
        m_devices = rows;
        Q_EMIT devicesChanged();
    }
    readRadio();
}

void DeviceBatteryService::readRadio() {
    const BluetoothPresence presence = m_bluetooth->presence();
    if (const bool available = presence != BluetoothPresence::Absent; available != m_bluetoothAvailable) {
        m_bluetoothAvailable = available;
        Q_EMIT bluetoothAvailableChanged();
    }
    if (!m_radioBusy)
        setPoweredOn(m_bluetooth->adapterPowered().value_or(m_bluetoothAvailable));
}

void DeviceBatteryService::setBluetoothPower(bool on) {
    if (m_radioBusy || !m_bluetoothAvailable)
        return;
    setRadioBusy(true);
    setPoweredOn(on);
    m_bluetooth->setPowered(on, this, [this](bool ok) {
        setRadioBusy(false);
        if (!ok)
            openBluetoothSettings();
        refresh();
    });
}

void DeviceBatteryService::toggleConnection(const DeviceBattery& device) {
    if (!device.btAddress || m_inFlight.contains(device.id))
        return;
    m_inFlight.insert(device.id);
    m_connectionErrors.remove(device.id);
    Q_EMIT requestsChanged();
    const bool connecting = !device.isConnected;
    const QString address = device.btAddress->toUpper().replace(QLatin1Char('-'), QLatin1Char(':'));
    m_bluetooth->setConnected(address, connecting, this, [this, id = device.id, connecting](bool ok) {
        QTimer::singleShot(settleMs, this, [this, id, connecting, ok] {
            m_inFlight.remove(id);
            if (!ok)
                m_connectionErrors.insert(
                    id, connecting
                            ? L10n::text("dispositivos.erro.falha_conectar", "Falha ao conectar", "")
                            : L10n::text("dispositivos.erro.falha_desconectar", "Falha ao desconectar", ""));
            Q_EMIT requestsChanged();
            refresh();
        });
    });
}

QString DeviceBatteryService::openBluetoothSettings() {
    for (const QStringList& panel : bluetoothPanels()) {
        for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
            const QFileInfo program(QString::fromLatin1(folder) + QLatin1Char('/') + panel.first());
            if (program.isFile() && program.isExecutable() &&
                QProcess::startDetached(program.filePath(), panel.mid(1)))
                return panel.first();
        }
    }
    return {};
}

QString DeviceBatteryService::cleanName(QString name) {
    name.remove(QStringLiteral("\u2019s"));
    name.remove(QStringLiteral("'s"));
    return name.trimmed();
}

QString DeviceBatteryService::normalisedName(const QString& name) {
    return cleanName(name).toLower().trimmed();
}

QString DeviceBatteryService::icon(const QString& name, const QString& minorType) {
    const QString n = name.toLower(), t = minorType.toLower();
    auto nameHas = [&n](const char* word) { return n.contains(QLatin1String(word)); };
    auto either = [&](const char* word) { return t.contains(QLatin1String(word)) || nameHas(word); };
    if (t.contains(QLatin1String("headphone")) || nameHas("airpods") || nameHas("headphone") ||
        nameHas("buds"))
        return nameHas("airpods") ? QStringLiteral("airpods") : QStringLiteral("headphones");
    if (either("keyboard"))
        return QStringLiteral("keyboard.fill");
    if (t.contains(QLatin1String("mouse")) || nameHas("mouse") || nameHas("mx master") ||
        nameHas("magic mouse"))
        return QStringLiteral("computermouse.fill");
    if (either("trackpad"))
        return QStringLiteral("trackpad.fill");
    return QStringLiteral("dot.radiowaves.left.and.right");
}

DeviceBattery DeviceBatteryService::merge(DeviceBattery device, const QList<PairedDeviceInfo>& paired) {
    const QString name = normalisedName(device.name);
    if (name.isEmpty())
        return device;
    const PairedDeviceInfo* match = nullptr;
    for (const PairedDeviceInfo& candidate : paired)
        if (!match && normalisedName(candidate.name) == name)
            match = &candidate;
    for (const PairedDeviceInfo& candidate : paired) {
        const QString other = normalisedName(candidate.name);
        if (!match && !other.isEmpty() && (other.contains(name) || name.contains(other)))
            match = &candidate;
    }
    if (match) {
        device.btAddress = match->address;
        device.isConnected = match->isConnected;
    }
    return device;
}

QString DeviceBatteryService::pairedAddress(const QString& address) {
    return address.toLower().replace(QLatin1Char(':'), QLatin1Char('-'));
}

QString DeviceBatteryService::minorTypeFor(const QString& iconName) {
    if (iconName.startsWith(QLatin1String("audio-head")))
        return QStringLiteral("headphones");
    if (iconName == QLatin1String("input-keyboard"))
        return QStringLiteral("keyboard");
    if (iconName == QLatin1String("input-mouse"))
        return QStringLiteral("mouse");
    if (iconName == QLatin1String("input-tablet"))
        return QStringLiteral("trackpad");
    return {};
}

void DeviceBatteryService::setPoweredOn(bool on) {
    if (m_bluetoothPoweredOn == on)
        return;
    m_bluetoothPoweredOn = on;
    Q_EMIT bluetoothPoweredOnChanged();
}

void DeviceBatteryService::setRadioBusy(bool busy) {
    if (m_radioBusy == busy)
        return;
    m_radioBusy = busy;
    Q_EMIT radioBusyChanged();
}
