#include "Foundation/AppPaths.h"

#include <QDir>

namespace {

QString xdgDirectory(const char* variable, const char* fallbackUnderHome) {
    const QString fromEnvironment = qEnvironmentVariable(variable);
    // The XDG rules ignore relative paths.
    const QString base = QDir::isAbsolutePath(fromEnvironment)
                             ? fromEnvironment
                             : QDir::home().filePath(QString::fromUtf8(fallbackUnderHome));
    return QDir(base).filePath(QStringLiteral("Tavimor"));
}

} // namespace

namespace AppPaths {

QString configDirectory() {
    return xdgDirectory("XDG_CONFIG_HOME", ".config");
}
QString stateDirectory() {
    return xdgDirectory("XDG_STATE_HOME", ".local/state");
}
QString dataDirectory() {
    return xdgDirectory("XDG_DATA_HOME", ".local/share");
}
QString cacheDirectory() {
    return xdgDirectory("XDG_CACHE_HOME", ".cache");
}

QString preferencesFile() {
    return QDir(configDirectory()).filePath(QStringLiteral("preferences.json"));
}
QString logFile() {
    return QDir(stateDirectory()).filePath(QStringLiteral("tavimor.log"));
}

} // namespace AppPaths
