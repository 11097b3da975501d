#include "Widgets/LocalServersWidget.h"

#include "Foundation/L10n.h"

#include <QDesktopServices>

namespace {

const QString loopbackHost = QStringLiteral("localhost");

QVariantMap rowFor(const LocalServer& server) {
    const qint64 port = server.port;
    return {{QStringLiteral("id"), server.id()},
            {QStringLiteral("title"), server.appName.value_or(server.processName)},
            {QStringLiteral("hostPort"), L10n::formatted("localhost:%lld", "localhost:%lld", "", {port})},
            {QStringLiteral("pidText"), L10n::formatted("PID %d", "PID %d", "", {server.pid})},
            {QStringLiteral("openToolTip"),
             L10n::formatted("servidores.abrir.ajuda", "Abrir localhost:%lld no browser",
                             "Tooltip que abre o servidor no browser; %lld é a porta", {port})},
            {QStringLiteral("stopToolTip"),
             L10n::formatted("servidores.acao.parar.ajuda", "Encerrar %1$@ (porta %2$lld)",
                             "Tooltip do botão de parar; %1$@ é o nome do processo, %2$lld é a porta",
                             {server.processName, port})}};
}

} // namespace

LocalServersWidget::LocalServersWidget(std::shared_ptr<IProcessTable> processes, IScheduler* scheduler,
                                       QObject* parent)
    : NotchWidget(parent)
    , m_service(new LocalServersService(std::move(processes), scheduler, this))
    , m_name(L10n::text("servidores.aba.titulo", "Servidores",
                        "Tooltip da aba de servidores locais na tab bar")) {
    connect(m_service, &LocalServersService::serversChanged, this, &LocalServersWidget::rowsChanged);
}

QUrl LocalServersWidget::expandedBody() const {
    return QUrl(QStringLiteral("qrc:/Views/Servers/LocalServersExpandedView.qml"));
}

QVariantList LocalServersWidget::rows() const {
    QVariantList rows;
    for (const LocalServer& server : m_service->servers())
        rows.append(rowFor(server));
    return rows;
}

QVariantMap LocalServersWidget::texts() {
    return {{QStringLiteral("title"),
             L10n::text("servidores.titulo", "Servidores locais", "Título do card de servidores locais")},
            {QStringLiteral("empty"),
             L10n::text("servidores.vazio", "Nenhum servidor local rodando.",
                        "Estado vazio: nenhum servidor de desenvolvimento rodando na máquina")},
            {QStringLiteral("stop"),
             L10n::text("servidores.acao.parar", "Parar", "Botão que encerra o processo do servidor local")}};
}

void LocalServersWidget::stopServer(int index) {
    if (index >= 0 && index < m_service->servers().size())
        m_service->stopServer(m_service->servers().at(index));
}

void LocalServersWidget::openInBrowser(int index) const {
    if (index < 0 || index >= m_service->servers().size())
        return;
    const QUrl address = addressFor(m_service->servers().at(index).port);
    if (address.isValid())
        QDesktopServices::openUrl(address);
}

QUrl LocalServersWidget::addressFor(int port) {
    if (port < 1 || port > 65535)
        return {};
    QUrl address;
    address.setScheme(QStringLiteral("http"));
    address.setHost(loopbackHost);
    address.setPort(port);
    return address;
}
