#include "Widgets/DeviceBatteryWidget.h"

#include "Foundation/L10n.h"

#include <algorithm>

namespace {

constexpr int lowLevel = 20;

QString levelText(std::optional<int> percent) {
    return percent ? L10n::formatted("%lld%", "%lld%", "", {qint64(*percent)}) : QString();
}

// Which control ends the row: the spinner while a request runs, the retry button after a failure, the
// connect button for a paired device, else none.
QString trailingControl(const DeviceBatteryService& service, const DeviceBattery& device) {
    if (service.isInFlight(device.id))
        return QStringLiteral("spinner");
    if (service.errorMessage(device.id))
        return QStringLiteral("retry");
    return device.btAddress ? QStringLiteral("connect") : QStringLiteral("none");
}

QString unavailableText() {
    return L10n::text("dispositivos.status.indisponivel", "Bluetooth indisponível",
                      "Status quando não há serviço Bluetooth nem adaptador neste computador");
}

} // namespace

DeviceBatteryWidget::DeviceBatteryWidget(QObject* parent)
    : DeviceBatteryWidget(DeviceBatterySources::onThisSystem(), nullptr, parent) {}

DeviceBatteryWidget::DeviceBatteryWidget(DeviceBatterySources sources, IBluetooth* bluetooth, QObject* parent)
    : NotchWidget(parent)
    , m_service(new DeviceBatteryService(std::move(sources), bluetooth, this))
    , m_name(L10n::text("dispositivos.aba.titulo", "Dispositivos",
                        "Tooltip da aba de dispositivos Bluetooth na tab bar")) {
    for (auto changed :
         {&DeviceBatteryService::bluetoothPoweredOnChanged, &DeviceBatteryService::radioBusyChanged,
          &DeviceBatteryService::bluetoothAvailableChanged})
        connect(m_service, changed, this, &DeviceBatteryWidget::radioChanged);
    for (auto changed :
         {&DeviceBatteryService::devicesChanged, &DeviceBatteryService::loadedChanged,
          &DeviceBatteryService::requestsChanged, &DeviceBatteryService::bluetoothPoweredOnChanged,
          &DeviceBatteryService::bluetoothAvailableChanged})
        connect(m_service, changed, this, &DeviceBatteryWidget::rowsChanged);
}

QUrl DeviceBatteryWidget::expandedBody() const {
    return QUrl(QStringLiteral("qrc:/Views/Devices/DeviceExpandedView.qml"));
}

QString DeviceBatteryWidget::radioText() const {
    return radioOn()
               ? L10n::text("dispositivos.radio.ligado", "Ligado", "Estado do rádio Bluetooth quando ligado")
               : L10n::text("dispositivos.radio.desligado", "Desligado",
                            "Estado do rádio Bluetooth quando desligado");
}

QString DeviceBatteryWidget::radioToolTip() const {
    if (!m_service->bluetoothAvailable())
        return unavailableText();
    return radioOn() ? L10n::text("dispositivos.radio.ajuda.desligar", "Desligar Bluetooth",
                                  "Tooltip do toggle do rádio quando está ligado")
                     : L10n::text("dispositivos.radio.ajuda.ligar", "Ligar Bluetooth",
                                  "Tooltip do toggle do rádio quando está desligado");
}

QString DeviceBatteryWidget::statusText() const {
    if (!m_service->bluetoothAvailable())
        return unavailableText();
    if (!radioOn())
        return L10n::text("dispositivos.status.radio_desligado", "Rádio desligado",
                          "Status quando o rádio Bluetooth está desligado");
    const auto connected = m_service->connectedDevices();
    const qint64 count = std::count_if(connected.begin(), connected.end(),
                                       [](const DeviceBattery& d) { return d.btAddress.has_value(); });
    if (count >= 1)
        return L10n::formatted(
            "dispositivos.status.conectados", "%lld conectados",
            "Quantos dispositivos Bluetooth estão conectados; %lld é a contagem, sempre >= 1", {count});
    return L10n::text("dispositivos.status.nenhum", "Nenhum conectado",
                      "Status quando o Bluetooth está ligado mas nada está conectado");
}

QString DeviceBatteryWidget::placeholder() const {
    if (!m_service->loaded())
        return L10n::text("dispositivos.carregando", "Carregando...",
                          "Placeholder enquanto a lista de dispositivos ainda não chegou");
    if (m_service->devices().isEmpty())
        return L10n::text("dispositivos.vazio", "Nenhum dispositivo encontrado.",
                          "A lista foi lida e não há bateria interna nem dispositivo Bluetooth");
    return {};
}

QVariantMap DeviceBatteryWidget::rowFor(const DeviceBattery& device) const {
    const int level = device.percent.value_or(0);
    const double fraction = std::clamp(level / 100.0, 0.01, 1.0);
    const QString& image = device.iconSystemName;
    const QString connectToolTip =
        device.isConnected
            ? L10n::formatted("dispositivos.acao.desconectar.ajuda", "Desconectar %@",
                              "Tooltip do botão de desconectar; %@ é o nome do dispositivo", {device.name})
            : L10n::formatted("dispositivos.acao.conectar.ajuda", "Conectar %@",
                              "Tooltip do botão de conectar; %@ é o nome do dispositivo", {device.name});
    return {{QStringLiteral("id"), device.id},
            {QStringLiteral("name"), device.name},
            {QStringLiteral("image"), image},
            {QStringLiteral("charging"), device.isCharging},
            {QStringLiteral("levelText"), levelText(device.percent)},
            {QStringLiteral("hasLevel"), device.percent.has_value()},
            {QStringLiteral("low"), device.percent && level < lowLevel},
            {QStringLiteral("fraction"), fraction},
            {QStringLiteral("trailing"), trailingControl(*m_service, device)},
            {QStringLiteral("connected"), device.isConnected},
            {QStringLiteral("connectText"), device.isConnected
                                                ? L10n::text("dispositivos.acao.desconectar", "Desconectar",
                                                             "Botão pra desconectar um dispositivo Bluetooth")
                                                : L10n::text("dispositivos.acao.conectar", "Conectar",
                                                             "Botão pra conectar um dispositivo Bluetooth")},
            {QStringLiteral("connectToolTip"), connectToolTip},
            {QStringLiteral("errorText"), m_service->errorMessage(device.id).value_or(QString())}};
}

QVariantList DeviceBatteryWidget::connectedRows() const {
    QVariantList rows;
    for (const DeviceBattery& device : m_service->connectedDevices())
        rows.append(rowFor(device));
    return rows;
}

QVariantList DeviceBatteryWidget::pairedRows() const {
    QVariantList rows;
    for (const DeviceBattery& device : m_service->pairedDisconnected())
        rows.append(rowFor(device));
    return rows;
}

void DeviceBatteryWidget::toggleConnection(const QString& rowId) {
    for (const DeviceBattery& device : m_service->devices())
        if (device.id == rowId)
            return m_service->toggleConnection(device);
}

QVariantMap DeviceBatteryWidget::texts() {
    return {{QStringLiteral("title"), L10n::text("Bluetooth", "Bluetooth", "")},
            {QStringLiteral("settings"), L10n::text("dispositivos.ajustes", "Ajustes",
                                                    "Botão que abre o painel de Bluetooth do sistema")},
            {QStringLiteral("settingsToolTip"),
             L10n::text("dispositivos.ajustes.ajuda", "Parear um novo dispositivo no painel de Bluetooth",
                        "Tooltip do botão que abre o painel de Bluetooth")},
            {QStringLiteral("column"), L10n::text("dispositivos.coluna.titulo", "Dispositivos",
                                                  "Cabeçalho da coluna com a lista de dispositivos")},
            {QStringLiteral("connected"), L10n::text("dispositivos.secao.conectados", "Conectados",
                                                     "Cabeçalho da seção de dispositivos conectados")},
            {QStringLiteral("paired"),
             L10n::text("dispositivos.secao.pareados", "Pareados",
                        "Cabeçalho da seção de dispositivos pareados mas desconectados")},
            {QStringLiteral("retry"), L10n::text("dispositivos.tentar_de_novo", "Tentar de novo",
                                                 "Botão pra repetir a conexão depois de um erro")}};
}
