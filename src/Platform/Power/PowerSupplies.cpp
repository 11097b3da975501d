#include "Platform/Power/PowerSupplies.h"

#include "Platform/DBus/DBusReply.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>

#include <cmath>

namespace {

constexpr int upowerTimeoutMs = 2000;

// One attribute file; sysfs reports size 0, so read to the end instead of trusting the size.
QString attribute(const QDir& entry, const char* name) {
    QFile file(entry.filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(4096)).trimmed();
}

std::optional<qint64> number(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

int roundedPercent(double now, double full) {
    const double percent = now / full * 100.0;
    return std::isfinite(percent) ? int(std::llround(std::clamp(percent, -1.0e6, 1.0e6))) : 0;
}

// Capacity in percent, else the energy (or charge) now against full; never above 100.
std::optional<int> internalPercent(const QDir& entry) {
    if (const auto capacity = number(attribute(entry, "capacity")))
        return int(std::min<qint64>(*capacity, 100));
    for (const auto& [now, full] :
         {std::pair{"energy_now", "energy_full"}, std::pair{"charge_now", "charge_full"}}) {
        const auto n = number(attribute(entry, now)), f = number(attribute(entry, full));
        if (n && f && *f >= 1)
            return std::min(roundedPercent(double(*n), double(*f)), 100);
    }
    return std::nullopt;
}

} // namespace

SysfsPowerSupplies::SysfsPowerSupplies(QString root)
    : m_root(std::move(root)) {}

std::optional<BatteryReading> SysfsPowerSupplies::internalBattery() const {
    const QDir root(m_root);
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir entry(root.filePath(name));
        if (attribute(entry, "type") != QLatin1String("Battery") ||
            attribute(entry, "scope") == QLatin1String("Device"))
            continue;
        if (const auto percent = internalPercent(entry))
            return BatteryReading{attribute(entry, "model_name"), *percent,
                                  attribute(entry, "status") == QLatin1String("Charging")};
    }
    return std::nullopt;
}

QList<BatteryReading> SysfsPowerSupplies::peripherals() const {
    QList<BatteryReading> readings;
    const QDir root(m_root);
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir entry(root.filePath(name));
        const auto capacity = number(attribute(entry, "capacity"));
        if (attribute(entry, "scope") == QLatin1String("Device") && capacity)
            readings.append({attribute(entry, "model_name"), int(std::clamp<qint64>(*capacity, 0, 100)),
                             attribute(entry, "status") == QLatin1String("Charging")});
    }
    return readings;
}

std::optional<BatteryReading> upowerInternalBattery(const QDBusConnection& systemBus) {
    if (!systemBus.isConnected())
        return std::nullopt;
    const QString service = QStringLiteral("org.freedesktop.UPower");
    const QDBusMessage display =
        systemBus.call(QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/UPower"),
                                                      service, QStringLiteral("GetDisplayDevice")),
                       QDBus::Block, upowerTimeoutMs);
    const auto path = display.arguments().value(0).value<QDBusObjectPath>();
    if (display.type() != QDBusMessage::ReplyMessage || path.path().isEmpty())
        return std::nullopt;
    QDBusMessage getAll = QDBusMessage::createMethodCall(
        service, path.path(), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    getAll << QStringLiteral("org.freedesktop.UPower.Device");
    const QDBusMessage reply = systemBus.call(getAll, QDBus::Block, upowerTimeoutMs);
    const QVariantMap properties = toVariantMap(reply.arguments().value(0));
    constexpr uint batteryType = 2, charging = 1;
    if (properties.value(QStringLiteral("Type")).toUInt() != batteryType ||
        !properties.value(QStringLiteral("IsPresent")).toBool())
        return std::nullopt;
    const double percent = properties.value(QStringLiteral("Percentage")).toDouble();
    return BatteryReading{{},
                          std::min(roundedPercent(percent, 100.0), 100),
                          properties.value(QStringLiteral("State")).toUInt() == charging};
}
