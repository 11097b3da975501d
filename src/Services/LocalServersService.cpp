#include "Services/LocalServersService.h"

#include "Foundation/BackgroundWork.h"
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

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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

std::optional<int> portOf(const QString& address) {
    const QStringList pieces = address.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return pieces.isEmpty() ? std::nullopt : readDecimal(pieces.last());
}

// At most `limit` bytes of a regular file; none for anything else (a FIFO is never opened for a blocking
// read).
std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<QByteArray> content;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= limit) {
        QByteArray bytes(limit + 1, Qt::Uninitialized);
        qint64 total = 0;
        ssize_t got = 0;
        while (total <= limit && (got = ::read(fd, bytes.data() + total, size_t(limit + 1 - total))) > 0)
            total += got;
        if (got >= 0 && total <= limit)
            content = bytes.left(total);
    }
    ::close(fd);
    return content;
}

std::optional<QString> cwdFromLsof(const std::optional<QByteArray>& output) {
    const auto text = output ? decodeUtf8(*output) : std::nullopt;
    if (!text)
        return std::nullopt;
    for (const QString& line : text->split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (line.startsWith(QLatin1Char('n')))
            return line.mid(1);
    return std::nullopt;
}

} // namespace

LocalServersService::LocalServersService(std::shared_ptr<IProcessTable> processes, QObject* parent)
    : QObject(parent)
    , m_processes(processes ? std::move(processes) : std::make_shared<LinuxProcessTable>()) {
    m_timer.setInterval(10000);
    connect(&m_timer, &QTimer::timeout, this, &LocalServersService::refresh);
}

void LocalServersService::start() {
    refresh();
    m_timer.start();
}

void LocalServersService::stop() {
    m_timer.stop();
}

void LocalServersService::refresh() {
    QtConcurrent::run(&backgroundWork(), [processes = m_processes] {
        const auto output = processes->listeningSockets();
        const auto text = output ? decodeUtf8(*output) : std::nullopt;
        return enrichWithAppNames(parse(text.value_or(QString())), *processes);
    }).then(answerContext(), [self = QPointer(this)](const QList<LocalServer>& servers) {
        if (!self)
            return;
        self->m_servers = servers;
        Q_EMIT self->serversChanged();
    });
}

void LocalServersService::stopServer(const LocalServer& server) {
    if (server.pid <= 0 || server.pid == QCoreApplication::applicationPid())
        return refresh();
    QtConcurrent::run(&backgroundWork(), [processes = m_processes, server] {
        processes->terminate(server.pid, server.processName);
    }).then(answerContext(), [self = QPointer(this)] {
        if (self)
            QTimer::singleShot(500, self, &LocalServersService::refresh);
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
            return name.toString();
    }
    const QString folderName = QFileInfo(QDir::cleanPath(projectDir)).fileName();
    return folderName.isEmpty() ? std::nullopt : std::optional<QString>(folderName);
}

QList<LocalServer> LocalServersService::enrichWithAppNames(QList<LocalServer> servers,
                                                           const IProcessTable& processes) {
    QHash<qint32, QString> names;
    for (LocalServer& server : servers) {
        if (server.pid > 0 && !names.contains(server.pid)) {
            const auto dir = cwdFromLsof(processes.workingDirectory(server.pid));
            const auto name = dir ? appName(*dir) : std::nullopt;
            if (name)
                names.insert(server.pid, *name);
        }
        server.appName =
            names.contains(server.pid) ? std::optional<QString>(names.value(server.pid)) : std::nullopt;
    }
    return servers;
}
