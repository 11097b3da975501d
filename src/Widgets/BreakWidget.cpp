#include "Widgets/BreakWidget.h"

#include "Foundation/L10n.h"
#include "Foundation/NotificationCenter.h"
#include "Models/ReminderSchedule.h"
#include "Platform/Preferences/IPreferences.h"
#include "Services/BreakOverlayWindowManager.h"
#include "Services/SettingsWindowManager.h"

BreakTabModel::BreakTabModel(BreakService& service, IPreferences& preferences, QObject* parent)
    : QObject(parent)
    , m_service(service)
    , m_preferences(preferences) {
    for (auto signal : {&BreakService::phaseChanged, &BreakService::canSkipChanged})
        connect(&service, signal, this, &BreakTabModel::changed);
    for (auto signal :
         {&BreakService::phaseChanged, &BreakService::remainingChanged, &BreakService::nextBreakDateChanged})
        connect(&service, signal, this, &BreakTabModel::bigValueChanged);
    connect(&preferences, &IPreferences::changed, this, [this](const QString& key) {
        if (key == QLatin1String(ReminderSchedule::breakWorkIntervalMin.key) ||
            key == QLatin1String(ReminderSchedule::breakDurationSec.key))
            Q_EMIT changed();
    });
}

QString BreakTabModel::stateLabel() const {
    return active()
               ? L10n::text("pausas.estado.em_pausa", "Em pausa",
                            "Rótulo do contador enquanto a pausa está rolando")
               : L10n::text("pausas.estado.proxima", "Próxima pausa", "Rótulo do contador da próxima pausa");
}

QString BreakTabModel::bigValue() const {
    if (active())
        return BreakOverlayModel::countdownText(m_service.remaining());
    const std::optional<qint64> seconds = m_service.secondsUntilNextBreak();
    if (!seconds)
        return QStringLiteral("—");
    if (*seconds < 60)
        return L10n::formatted("pausas.contador.segundos", "%llds",
                               "Contador da próxima pausa em segundos; %lld é o número de segundos",
                               {*seconds});
    return L10n::formatted("pausas.contador.minutos", "%lldmin",
                           "Contador da próxima pausa em minutos; %lld é o número de minutos",
                           {*seconds / 60});
}

QString BreakTabModel::workInfo() const {
    return L10n::formatted("pausas.info.trabalho", "%lldmin de trabalho",
                           "Intervalo de trabalho configurado; %lld é o número de minutos",
                           {ReminderSchedule::value(m_preferences, ReminderSchedule::breakWorkIntervalMin)});
}

QString BreakTabModel::durationInfo() const {
    return L10n::formatted("pausas.info.duracao", "%llds de pausa",
                           "Duração da pausa configurada; %lld é o número de segundos",
                           {ReminderSchedule::value(m_preferences, ReminderSchedule::breakDurationSec)});
}

QString BreakTabModel::title() const {
    return L10n::text("pausas.titulo", "Pausas", "Título do card de pausas");
}

QString BreakTabModel::configureToolTip() const {
    return L10n::text("pausas.ajuda.configurar", "Configurar pausas",
                      "Tooltip da engrenagem que abre as configurações de pausa");
}

QString BreakTabModel::skipLabel() const {
    return L10n::text("pausas.acao.pular", "Pular", "Botão que pula a pausa em andamento");
}

QString BreakTabModel::lockLabel() const {
    return L10n::text("pausas.acao.bloquear", "Bloquear tela", "Botão que bloqueia a tela durante a pausa");
}

QString BreakTabModel::takeNowLabel() const {
    return L10n::text("pausas.acao.pausar_agora", "Pausar agora", "Botão que antecipa a pausa");
}

QString BreakTabModel::footer() const {
    return L10n::text("pausas.rodape",
                      "Descanso visual automático (regra 20-20-20). Ajuste os tempos na engrenagem.",
                      "Explicação no rodapé do card de pausas");
}

void BreakTabModel::openSettings() {
    SettingsWindowManager::shared().open();
}

BreakWidget::BreakWidget(IPreferences& preferences, NotificationCenter& notifications,
                         std::unique_ptr<BreakService> service, QObject* parent)
    : NotchWidget(parent)
    , m_preferences(preferences)
    , m_notifications(notifications)
    , m_service(std::move(service))
    , m_tabModel(*m_service, preferences)
    , m_name(L10n::text("pausas.aba.titulo", "Pausas", "Tooltip da aba de pausas na tab bar"))
    , m_isEnabled(preferences.value(QStringLiteral("tavimor.breakEnabled")).toBool()) {}

BreakWidget::~BreakWidget() {
    m_notifications.removeObserver(m_enabledObserver);
}

QUrl BreakWidget::expandedBody() const {
    return QUrl(QStringLiteral("qrc:/Views/Break/BreakExpandedView.qml"));
}

void BreakWidget::start() {
    m_notifications.removeObserver(m_enabledObserver);
    m_enabledObserver =
        m_notifications.addObserver(Notifications::breakSettingsChanged, this, [this] { readEnabled(); });
    m_service->start();
}

void BreakWidget::stop() {
    m_notifications.removeObserver(m_enabledObserver);
    m_enabledObserver = 0;
    m_service->stop();
}

void BreakWidget::readEnabled() {
    const bool enabled = m_preferences.value(QStringLiteral("tavimor.breakEnabled")).toBool();
    if (enabled == m_isEnabled)
        return;
    m_isEnabled = enabled;
    Q_EMIT isActiveChanged();
}
