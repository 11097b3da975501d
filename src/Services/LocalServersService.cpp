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
    if (m_refreshing)
        return;
    m_refreshing = true;
    QtConcurrent::run(&backgroundWork(), [processes = m_processes, known = m_appNames]() mutable {
        const auto output = processes->listeningSockets();
        const auto text = output ? decodeUtf8(*output) : std::nullopt;
        auto servers = enrichWithAppNames(parse(text.value_or(QString())), *processes, known);
        return std::pair(std::move(servers), std::move(known));
    }).then(answerContext(), [self = QPointer(this)](const std::pair<QList<LocalServer>, AppNames>& result) {
        if (!self)
            return;
        self->m_refreshing = false;
        self->m_servers = result.first;
        self->m_appNames = result.second;
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
            return cappedText(name.toString());
    }
    const QString folderName = QFileInfo(QDir::cleanPath(projectDir)).fileName();
    return folderName.isEmpty() ? std::nullopt : std::optional<QString>(folderName);
}

QList<LocalServer> LocalServersService::enrichWithAppNames(QList<LocalServer> servers,
                                                           const IProcessTable& processes, AppNames& known) {
    AppNames names;
    for (LocalServer& server : servers) {
        if (server.pid > 0 && !names.contains(server.pid)) {
            if (known.contains(server.pid)) {
                names.insert(server.pid, known.value(server.pid));
            } else {
                const auto dir = processes.workingDirectory(server.pid);
                names.insert(server.pid, dir ? appName(*dir) : std::nullopt);
            }
        }
        server.appName = names.value(server.pid);
    }
    known = std::move(names);
    return servers;
}
