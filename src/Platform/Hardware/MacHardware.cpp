#include "Platform/Hardware/MacHardware.h"

#include "Foundation/L10n.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QSysInfo>

#include <array>
#include <initializer_list>

namespace {

const QString unknownModel = QStringLiteral("unknown");

// Sysfs and device-tree files are tiny; a larger read means something unexpected is there.
constexpr qint64 maximumIdentifierBytes = 4096;

QString identifierFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(maximumIdentifierBytes);
    const qsizetype end = bytes.indexOf('\0');
    if (end >= 0)
        bytes.truncate(end);
    return QString::fromUtf8(bytes).trimmed();
}

bool beginsWithAny(const QString& identifier, std::initializer_list<const char*> prefixes) {
    for (const char* prefix : prefixes) {
        if (identifier.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

QString withIdentifier(const char* family, const QString& identifier) {
    return QString::fromLatin1(family) + QStringLiteral(" (") + identifier + QLatin1Char(')');
}

} // namespace

namespace MacHardware {

QString readModelIdentifier(const QString& rootPath) {
    const QDir root(rootPath);
    for (const char* source : {"sys/class/dmi/id/product_name", "proc/device-tree/model"}) {
        const QString identifier = identifierFromFile(root.filePath(QString::fromLatin1(source)));
        if (!identifier.isEmpty())
            return identifier;
    }
    return unknownModel;
}

QString modelIdentifier() {
    static const QString identifier = readModelIdentifier(QStringLiteral("/"));
    return identifier;
}

QString displayName() {
    return displayName(modelIdentifier());
}

QString displayName(const QString& identifier) {
    if (identifier == unknownModel) {
        const QString host = QSysInfo::machineHostName();
        return !host.isEmpty()
                   ? host
                   : L10n::text("sistema.computador", "Computador",
                                "Nome da máquina quando nem o firmware nem o sistema dizem qual é");
    }
    if (beginsWithAny(identifier, {"Mac14,2", "Mac14,15"}))
        return withIdentifier("MacBook Air", identifier);
    if (beginsWithAny(identifier, {"Mac15,3", "Mac15,6", "Mac15,7", "Mac15,8", "Mac15,10", "Mac15,11"}))
        return withIdentifier("MacBook Pro", identifier);
    if (beginsWithAny(identifier, {"Mac17,"}))
        return withIdentifier("MacBook Air", identifier);
    if (beginsWithAny(identifier, {"MacBookAir"}))
        return QStringLiteral("MacBook Air");
    if (beginsWithAny(identifier, {"MacBookPro"}))
        return QStringLiteral("MacBook Pro");
    if (beginsWithAny(identifier, {"Macmini", "Mac14,3", "Mac14,12"}))
        return withIdentifier("Mac mini", identifier);
    if (beginsWithAny(identifier, {"MacStudio", "Mac14,13", "Mac14,14"}))
        return withIdentifier("Mac Studio", identifier);
    if (beginsWithAny(identifier, {"MacPro", "Mac14,8"}))
        return withIdentifier("Mac Pro", identifier);
    if (beginsWithAny(identifier, {"iMac", "Mac14,4", "Mac15,4", "Mac15,5"}))
        return withIdentifier("iMac", identifier);
    if (beginsWithAny(identifier, {"Mac"}))
        return withIdentifier("Mac", identifier);
    return identifier;
}

} // namespace MacHardware
