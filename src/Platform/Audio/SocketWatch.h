#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include <optional>

// Tells when a server creates its socket at a path, through an inotify watch on the socket's folder: nothing
// wakes while nothing changes there. While that folder is missing, its nearest existing ancestor is watched
// until the folder is back. A socket left behind by a server that died is no news; only one created since
// the watch began, or since the last one told, is.
class SocketWatch final : public QObject {
    Q_OBJECT
public:
    explicit SocketWatch(QObject* parent = nullptr);

    // Starts watching the path; watching the same path again changes nothing. An empty path watches nothing.
    void watch(const QString& socketPath);
    void stop();

Q_SIGNALS:
    void socketCreated();

private:
    struct FileStamp {
        quint64 inode = 0;
        qint64 changedNs = 0;
        bool operator==(const FileStamp&) const = default;
    };

    void handleChange();
    void rearm();
    QString nearestExistingFolder() const;
    static std::optional<FileStamp> stampOf(const QString& path);

    QFileSystemWatcher m_watcher;
    QString m_socketPath;
    std::optional<FileStamp> m_knownSocket;
};
