#include "Widgets/AudioWidget.h"

#include "Foundation/L10n.h"

AudioWidget::AudioWidget(std::unique_ptr<AudioInputService> service, QObject* parent)
    : NotchWidget(parent)
    , m_service(std::move(service))
    , m_name(L10n::text("audio.aba.titulo", "Áudio", "Tooltip da aba de áudio na tab bar")) {
    m_icon = icon();
    for (const auto signal : {&AudioInputService::devicesChanged, &AudioInputService::currentDevicesChanged,
                              &AudioInputService::outputChanged, &AudioInputService::lockedUIDChanged})
        connect(m_service.get(), signal, this, &AudioWidget::handleChange);
}

QString AudioWidget::icon() const {
    if (m_service->outputIsPhoneMode())
        return QStringLiteral("waveform.badge.exclamationmark");
    return isLocked() ? QStringLiteral("mic.fill") : QStringLiteral("mic");
}

QUrl AudioWidget::expandedBody() const {
    return QUrl(QStringLiteral("qrc:/Views/Audio/AudioExpandedView.qml"));
}

QVariantList AudioWidget::inputRows() const {
    QVariantList rows;
    for (const AudioDeviceInfo& device : m_service->inputs())
        rows.append(row(device, device.uid == m_service->currentInputUID(),
                        device.uid == m_service->lockedUID(), {}, false));
    return rows;
}

QVariantList AudioWidget::outputRows() const {
    QVariantList rows;
    for (const AudioDeviceInfo& device : m_service->outputs()) {
        const bool isCurrent = device.uid == m_service->currentOutputUID();
        rows.append(row(device, isCurrent, false, isCurrent ? m_service->outputDetail() : QString(),
                        isCurrent && m_service->outputIsPhoneMode()));
    }
    return rows;
}

QVariantMap AudioWidget::row(const AudioDeviceInfo& device, bool isCurrent, bool isLocked,
                             const QString& badge, bool isWarning) const {
    const QString toolTip =
        isCurrent ? L10n::text("audio.dispositivo.em_uso", "Em uso",
                               "Tooltip do dispositivo de áudio que já está selecionado")
                  : L10n::formatted("audio.dispositivo.usar", "Usar %@",
                                    "Tooltip pra trocar pro dispositivo de áudio; %@ é o nome do dispositivo",
                                    {device.name});
    return {{QStringLiteral("name"), device.name},
            {QStringLiteral("symbolName"), isLocked ? QStringLiteral("lock.fill") : device.iconSystemName()},
            {QStringLiteral("isCurrent"), isCurrent},
            {QStringLiteral("badge"), badge},
            {QStringLiteral("isWarning"), isWarning && !badge.isEmpty()},
            {QStringLiteral("toolTip"), toolTip}};
}

QString AudioWidget::lockText() const {
    return isLocked() ? L10n::text("audio.trava.ligada", "Travado",
                                   "Estado do botão de trava do microfone quando ligado")
                      : L10n::text("audio.trava.desligada", "Travar",
                                   "Ação do botão de trava do microfone quando desligado");
}

QString AudioWidget::lockToolTip() const {
    return isLocked()
               ? L10n::text(
                     "audio.trava.ajuda.ligada",
                     "Entrada travada: apps não conseguem trocar o mic, o fone fica em estéreo. Clique "
                     "pra liberar.",
                     "Tooltip do botão de trava quando a entrada está travada")
               : L10n::text(
                     "audio.trava.ajuda.desligada",
                     "Clique pra travar a entrada no dispositivo atual e impedir o fone de cair em mono.",
                     "Tooltip do botão de trava quando a entrada está livre");
}

QString AudioWidget::inputTitle() const {
    return L10n::text("audio.entrada.titulo", "Mic", "Cabeçalho da coluna de dispositivos de entrada");
}

QString AudioWidget::outputTitle() const {
    return L10n::text("audio.saida.titulo", "Áudio", "Cabeçalho da coluna de dispositivos de saída");
}

void AudioWidget::selectInput(int index) {
    if (index >= 0 && index < m_service->inputs().size())
        m_service->selectInput(AudioDeviceInfo(m_service->inputs().at(index)));
}

void AudioWidget::selectOutput(int index) {
    if (index >= 0 && index < m_service->outputs().size())
        m_service->selectOutput(AudioDeviceInfo(m_service->outputs().at(index)));
}

void AudioWidget::handleChange() {
    Q_EMIT rowsChanged();
    if (const QString next = icon(); next != m_icon) {
        m_icon = next;
        Q_EMIT iconChanged();
    }
}
