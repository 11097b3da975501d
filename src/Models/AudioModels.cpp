#include "Models/AudioModels.h"

#include <QStringList>

namespace {

// Whether "fone" stands in the name other than as the end of "microfone", which every Portuguese-named
// input holds ("Microfone interno").
bool namesEarphones(const QString& lower) {
    const QString fone = QStringLiteral("fone");
    const QString micro = QStringLiteral("micro");
    for (qsizetype at = lower.indexOf(fone); at >= 0; at = lower.indexOf(fone, at + 1)) {
        if (at < micro.size() || lower.mid(at - micro.size(), micro.size()) != micro)
            return true;
    }
    return false;
}

} // namespace

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
    if (nameHasAny({QStringLiteral("headphone"), QStringLiteral("buds")}) || namesEarphones(lower))
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
