#include "Services/LocalServersService.h"

#include "Foundation/BackgroundWork.h"
#include "Foundation/OutsideText.h"
#include "Foundation/RegularFile.h"
#include "Foundation/WhileAlive.h"
#include "Platform/Processes/LinuxProcessTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QStringDecoder>
#include <QtConcurrent>

#include <algorithm>

#include <sys/stat.h>

namespace {

const QSet<QString>& systemProcessBlocklist() {
    static const QSet<QString> names{QStringLiteral("controlcenter"),
                                     QStringLiteral("rapportd"),
                                     QStringLiteral("onedrive"),
                                     QStringLiteral("onedrive sync service"),
                                     QStringLiteral("dropbox"),
                                     QStringLiteral("coreaudiod"),
                                     QStringLiteral("sharingd"),
                                     QStringLiteral("identityservicesd"),
                                     QStringLiteral("photoanalysisd"),
                                     QStringLiteral("mdnsresponder"),
                                     QStringLiteral("airplayuiagent"),
                                     QStringLiteral("figma_agent"),
                                     QStringLiteral("agent-server"),
                                     QStringLiteral("logipluginservice"),
                                     QStringLiteral("logioptionsplus_agent"),
                                     QStringLiteral("accessringhelper"),
                                     QStringLiteral("com.docker.backend")};
    return names;
}

std::optional<QString> decodeUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// A decimal integer with an optional sign and nothing else (no blanks, no other digits).
std::optional<int> readDecimal(const QString& text) {
    const qsizetype start = text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (text.size() == start)
        return std::nullopt;
    for (qsizetype i = start; i < text.size(); ++i)
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<LocalServersService::FileStamp> manifestStamp(const QString& projectDir) {
    struct stat info {};
    const QByteArray path = QFile::encodeName(QDir(projectDir).filePath(QStringLiteral("package.json")));
    if (::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return LocalServersService::FileStamp{quint64(info.st_ino), qint64(info.st_size),
                                          qint64(info.st_ctim.tv_sec), qint64(info.st_ctim.tv_nsec)};
}

// The project of a process: the one kept while its package.json is unchanged, else read from the kept folder
// or, for a process not kept, from its working folder. None when the folder or the name cannot be read.
std::optional<LocalServersService::KnownProject> projectOf(qint32 pid, const IProcessTable& processes,
                                                           const LocalServersService::KnownProject* kept) {
    std::optional<QString> folder = kept ? std::optional(kept->folder) : processes.workingDirectory(pid);
    if (!folder)
        return std::nullopt;
    const auto stamp = manifestStamp(*folder);
    if (kept && stamp == kept->manifest)
        return *kept;
    const auto name = LocalServersService::appName(*folder);
    if (!name)
        return std::nullopt;
    return LocalServersService::KnownProject{*folder, stamp, *name};
}

std::optional<int> portOf(const QString& address) {
    const QStringList pieces = address.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return pieces.isEmpty() ? std::nullopt : readDecimal(pieces.last());
}

} // namespace

LocalServersService::LocalServersService(std::shared_ptr<IProcessTable> processes, IScheduler* scheduler,
                                         QObject* parent)
    : QObject(parent)
    , m_processes(processes ? std::move(processes) : std::make_shared<LinuxProcessTable>())
    , m_ownScheduler(scheduler ? nullptr : std::make_unique<QtScheduler>())
    , m_scheduler(scheduler ? *scheduler : *m_ownScheduler) {}

void LocalServersService::start() {
    refresh();
    stop();
    scheduleTick();
}

void LocalServersService::stop() {
    m_scheduler.cancel(m_tick);
    m_tick = IScheduler::invalidHandle;
}

// The next tick is armed before this one's refresh, so ticks keep their 10 s pace; one that finds a refresh
// running is skipped.
void LocalServersService::scheduleTick() {
    m_tick = m_scheduler.after(refreshIntervalMs, this, [this] {
        scheduleTick();
        if (!m_refreshing)
            runRefresh();
    });
}

void LocalServersService::refresh() {
    if (m_refreshing)
        m_refreshWaiting = true;
    else
        runRefresh();
}

void LocalServersService::runRefresh() {
    m_refreshing = true;
    QtConcurrent::run(&backgroundWork(), [processes = m_processes, known = m_knownProjects]() mutable {
        const auto output = processes->listeningSockets();
        const auto text = output ? decodeUtf8(*output) : std::nullopt;
        auto servers = enrichWithAppNames(parse(text.value_or(QString())), *processes, known);
        return Listing(std::move(servers), std::move(known));
    }).then(answerContext(), [self = QPointer(this)](const Listing& listing) {
        if (self)
            self->finishRefresh(listing);
    });
}

void LocalServersService::finishRefresh(const Listing& listing) {
    m_refreshing = false;
    m_servers = listing.first;
    m_knownProjects = listing.second;
    Q_EMIT serversChanged();
    if (std::exchange(m_refreshWaiting, false))
        runRefresh();
}

void LocalServersService::stopServer(const LocalServer& server) {
    if (server.pid <= 0 || server.pid == QCoreApplication::applicationPid())
        return refresh();
    QtConcurrent::run(&backgroundWork(), [processes = m_processes, server] {
        processes->terminate(server.pid, server.processName);
    }).then(answerContext(), [self = QPointer(this)] {
        if (self)
            self->m_scheduler.after(refreshAfterStopMs, self, [self] { self->refresh(); });
    });
}

QList<LocalServer> LocalServersService::parse(const QString& output) {
    QMap<QString, LocalServer> byKey;
    qint32 pid = 0;
    QString command;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QChar tag = line.at(0);
        const QString value = line.mid(1);
        if (tag == QLatin1Char('p')) {
            pid = readDecimal(value).value_or(0);
        } else if (tag == QLatin1Char('c')) {
            command = value;
        } else if (tag == QLatin1Char('n')) {
            const auto port = portOf(value);
            if (!port || systemProcessBlocklist().contains(command.toLower()))
                continue;
            LocalServer server{pid, *port, command, std::nullopt};
            byKey.insert(server.id(), server);
        }
    }
    QList<LocalServer> servers = byKey.values();
    std::stable_sort(servers.begin(), servers.end(),
                     [](const LocalServer& a, const LocalServer& b) { return a.port < b.port; });
    return servers;
}

std::optional<QString> LocalServersService::appName(const QString& projectDir) {
    const auto manifest =
        readRegularFile(QDir(projectDir).filePath(QStringLiteral("package.json")), maxManifestBytes);
    if (manifest) {
        const QJsonDocument document = QJsonDocument::fromJson(*manifest);
        const QJsonValue name = document.object().value(QStringLiteral("name"));
        if (document.isObject() && name.isString() && !name.toString().isEmpty())
            return cappedText(name.toString());
    }
    const QString folderName = QFileInfo(QDir::cleanPath(projectDir)).fileName();
    return folderName.isEmpty() ? std::nullopt : std::optional<QString>(folderName);
}

QList<LocalServer> LocalServersService::enrichWithAppNames(QList<LocalServer> servers,
                                                           const IProcessTable& processes,
                                                           KnownProjects& known) {
    KnownProjects found;
    QSet<qint32> lookedUp;
    for (LocalServer& server : servers) {
        if (server.pid > 0 && !lookedUp.contains(server.pid)) {
            lookedUp.insert(server.pid);
            const auto kept = known.constFind(server.pid);
            const auto project =
                projectOf(server.pid, processes, kept == known.constEnd() ? nullptr : &kept.value());
            if (project)
                found.insert(server.pid, *project);
        }
        const auto project = found.constFind(server.pid);
        server.appName = project == found.constEnd() ? std::nullopt : std::optional<QString>(project->name);
    }
    known = std::move(found);
    return servers;
}
