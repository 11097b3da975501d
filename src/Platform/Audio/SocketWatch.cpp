#include "Platform/Audio/SocketWatch.h"

#include <QFileInfo>

#include <sys/stat.h>

SocketWatch::SocketWatch(QObject* parent)
    : QObject(parent) {
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &SocketWatch::handleChange);
}

void SocketWatch::watch(const QString& socketPath) {
    if (socketPath.isEmpty() || socketPath == m_socketPath)
        return;
    stop();
    m_socketPath = socketPath;
    m_knownSocket = stampOf(socketPath);
    // A socket created between the stamp and the watch would raise no event: look once more.
    handleChange();
}

void SocketWatch::stop() {
    m_socketPath.clear();
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
}

void SocketWatch::handleChange() {
    if (m_socketPath.isEmpty())
        return;
    rearm();
    const auto socket = stampOf(m_socketPath);
    if (std::exchange(m_knownSocket, socket) != socket && socket)
        Q_EMIT socketCreated();
}

// A folder that is removed drops out of the watcher; a watch moves down again as folders come back.
void SocketWatch::rearm() {
    for (;;) {
        const QString folder = nearestExistingFolder();
        if (m_watcher.directories() == QStringList{folder})
            return;
        if (!m_watcher.directories().isEmpty())
            m_watcher.removePaths(m_watcher.directories());
        // Without a watch the caller's own retries still find the server.
        if (!m_watcher.addPath(folder))
            return;
        // A folder created below it meanwhile raises no event there: look again.
    }
}

QString SocketWatch::nearestExistingFolder() const {
    QString folder = QFileInfo(m_socketPath).absolutePath();
    while (!QFileInfo(folder).isDir() && folder != QLatin1String("/"))
        folder = QFileInfo(folder).absolutePath();
    return folder;
}

std::optional<SocketWatch::FileStamp> SocketWatch::stampOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return FileStamp{quint64(status.st_ino),
                     qint64(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec};
}
