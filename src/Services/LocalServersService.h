#pragma once

#include "Models/LocalServer.h"
#include "Platform/Processes/IProcessTable.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <memory>

// The processes listening on a TCP port, named after the project they serve, refreshed every 10 s while
// started (a tick while a refresh still runs is skipped); a server can be asked to stop. The lookups run off
// the GUI thread; a process's project name is looked up once while it keeps listening.
class LocalServersService : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 maxManifestBytes = 1024 * 1024;

    explicit LocalServersService(std::shared_ptr<IProcessTable> processes = nullptr,
                                 QObject* parent = nullptr);

    const QList<LocalServer>& servers() const { return m_servers; }
    bool isStarted() const { return m_timer.isActive(); }

    void start();
    void stop();
    void refresh();
    // SIGTERM to the server's process, then a refresh half a second later. A pid that is not positive, is
    // this process, or no longer carries the row's command name is not signalled.
    void stopServer(const LocalServer& server);

    // lsof -F pcn output to servers, blocked system processes left out, one row per pid and port, by port.
    static QList<LocalServer> parse(const QString& output);
    // The project name: "name" of the folder's package.json (a regular file of at most 1 MiB holding a JSON
    // object), else the folder's own name, else none.
    static std::optional<QString> appName(const QString& projectDir);
    // Project names by pid; none where the process's folder is unknown.
    using AppNames = QHash<qint32, std::optional<QString>>;
    // Names each server, looking up only pids not in `known`; `known` ends holding the listed pids only.
    static QList<LocalServer> enrichWithAppNames(QList<LocalServer> servers, const IProcessTable& processes,
                                                 AppNames& known);

Q_SIGNALS:
    // Emitted after every refresh, also when the list is unchanged.
    void serversChanged();

private:
    std::shared_ptr<IProcessTable> m_processes;
    QTimer m_timer;
    QList<LocalServer> m_servers;
    AppNames m_appNames;
    bool m_refreshing = false;
};
