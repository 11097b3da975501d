#pragma once

#include "Foundation/Clock.h"
#include "Models/LocalServer.h"
#include "Platform/Processes/IProcessTable.h"

#include <QHash>
#include <QObject>

#include <memory>

// The processes listening on a TCP port, named after the project they serve, refreshed every 10 s while
// started. A tick that comes while a refresh runs is skipped; a refresh asked for then (after a stop, by the
// tab) runs again as soon as the running one ends. The lookups run off the GUI thread; a process's project
// name is kept while it keeps listening and its package.json is unchanged.
class LocalServersService : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 maxManifestBytes = 1024 * 1024;
    static constexpr int refreshIntervalMs = 10000;
    static constexpr int refreshAfterStopMs = 500;

    // Without a scheduler the service keeps its own on the event loop.
    explicit LocalServersService(std::shared_ptr<IProcessTable> processes = nullptr,
                                 IScheduler* scheduler = nullptr, QObject* parent = nullptr);

    const QList<LocalServer>& servers() const { return m_servers; }
    bool isStarted() const { return m_tick != IScheduler::invalidHandle; }

    void start();
    void stop();
    // At most one refresh runs; one asked for meanwhile waits for it and then runs once.
    void refresh();
    // SIGTERM to the server's process, then a refresh half a second later. A pid that is not positive, is
    // this process, or no longer carries the row's command name is not signalled.
    void stopServer(const LocalServer& server);

    // lsof -F pcn output to servers, blocked system processes left out, one row per pid and port, by port.
    static QList<LocalServer> parse(const QString& output);
    // The project name: "name" of the folder's package.json (a regular file of at most 1 MiB holding a JSON
    // object), else the folder's own name, else none.
    static std::optional<QString> appName(const QString& projectDir);

    // What a package.json was when its project name was read: inode, size and change time, or none when
    // there was no file.
    struct FileStamp {
        quint64 inode = 0;
        qint64 size = 0;
        qint64 changedSeconds = 0;
        qint64 changedNanoseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };
    struct KnownProject {
        QString folder;
        std::optional<FileStamp> manifest;
        QString name;
    };
    // Project names found, by pid. A process whose folder or name could not be read is not kept.
    using KnownProjects = QHash<qint32, KnownProject>;
    // Names each server; a pid in `known` keeps its name while its package.json is unchanged, any other is
    // looked up. `known` ends holding the listed pids whose names were found.
    static QList<LocalServer> enrichWithAppNames(QList<LocalServer> servers, const IProcessTable& processes,
                                                 KnownProjects& known);

Q_SIGNALS:
    // Emitted after every refresh, also when the list is unchanged.
    void serversChanged();

private:
    using Listing = std::pair<QList<LocalServer>, KnownProjects>;

    void scheduleTick();
    void runRefresh();
    void finishRefresh(const Listing& listing);

    std::shared_ptr<IProcessTable> m_processes;
    std::unique_ptr<IScheduler> m_ownScheduler;
    IScheduler& m_scheduler;
    IScheduler::Handle m_tick = IScheduler::invalidHandle;
    QList<LocalServer> m_servers;
    KnownProjects m_knownProjects;
    bool m_refreshing = false;
    bool m_refreshWaiting = false;
};
