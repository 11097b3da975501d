#include "Models/AudioModels.h"

#include <QStringList>

QString AudioDeviceInfo::iconSystemName() const {
    const QString lower = name.toLower();
    const auto nameHasAny = [&](const QStringList& words) {
        for (const QString& word : words) {
            if (lower.contains(word))
                return true;
        }
        return false;
    };
    if (lower.contains(QStringLiteral("airpods")))
        return QStringLiteral("airpods");
    if (nameHasAny({QStringLiteral("headphone"), QStringLiteral("buds"), QStringLiteral("fone")}))
        return QStringLiteral("headphones");
    if (transport == AudioTransport::virtualDevice || transport == AudioTransport::aggregate)
        return QStringLiteral("app.fill");
    if (transport == AudioTransport::builtIn)
        return QStringLiteral("laptopcomputer");
    if (nameHasAny({QStringLiteral("iphone"), QStringLiteral("ipad")}))
        return QStringLiteral("iphone");
    if (nameHasAny({QStringLiteral("display"), QStringLiteral("monitor"), QStringLiteral("tv")}))
        return QStringLiteral("display");
    if (transport == AudioTransport::usb)
        return QStringLiteral("cable.connector");
    return QStringLiteral("wave.3.right");
}
