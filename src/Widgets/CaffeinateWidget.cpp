#include "Widgets/CaffeinateWidget.h"

#include "Foundation/L10n.h"

namespace {

QVariantMap duration(const char* key, const char* label, const char* note, qint64 seconds) {
    return {{QStringLiteral("label"), L10n::text(key, label, note)},
            {QStringLiteral("seconds"), seconds},
            {QStringLiteral("indefinite"), seconds < 0}};
}

QVariantList durationBoxes() {
    return {
        duration("caffeinate.duracao.15min", "15min", "Opção de manter o computador acordado por 15 minutos",
                 900),
        duration("caffeinate.duracao.30min", "30min", "Opção de manter o computador acordado por 30 minutos",
                 1800),
        duration("caffeinate.duracao.1h", "1h", "Opção de manter o computador acordado por 1 hora", 3600),
        duration("caffeinate.duracao.2h", "2h", "Opção de manter o computador acordado por 2 horas", 7200),
        duration("caffeinate.duracao.indefinido", "Indefinido",
                 "Opção de manter o computador acordado sem prazo pra desligar", -1)};
}

} // namespace

CaffeinateWidget::CaffeinateWidget(DegradedReporter reportDegraded, QObject* parent)
    : CaffeinateWidget(CaffeinateLocks::onThisSystem(std::move(reportDegraded)), parent) {}

CaffeinateWidget::CaffeinateWidget(CaffeinateLocks locks, QObject* parent)
    : NotchWidget(parent)
    , m_service(new CaffeinateService(std::move(locks), this))
    , m_name(L10n::text("caffeinate.aba.titulo", "Caffeinate",
                        "Tooltip da aba que mantém o computador acordado"))
    , m_durations(durationBoxes()) {
    wireService();
}

void CaffeinateWidget::wireService() {
    connect(m_service, &CaffeinateService::isActiveChanged, this, [this] {
        Q_EMIT iconChanged();
        Q_EMIT statusTextChanged();
    });
    for (auto changed :
         {&CaffeinateService::elapsedSecondsChanged, &CaffeinateService::remainingSecondsChanged})
        connect(m_service, changed, this, &CaffeinateWidget::statusTextChanged);
    connect(m_service, &CaffeinateService::lidSleepPreventedChanged, this,
            &CaffeinateWidget::lidToolTipChanged);
}

QString CaffeinateWidget::icon() const {
    return m_service->isActive() ? QStringLiteral("cup.and.saucer.fill") : QStringLiteral("cup.and.saucer");
}

QUrl CaffeinateWidget::expandedBody() const {
    return QUrl(QStringLiteral("qrc:/Views/Caffeinate/CaffeinateExpandedView.qml"));
}

void CaffeinateWidget::stop() {
    m_service->deactivate();
    if (m_service->lidSleepPrevented())
        m_service->setLidSleepPrevention(false);
}

QVariantMap CaffeinateWidget::texts() const {
    return {
        {QStringLiteral("title"),
         L10n::text("caffeinate.titulo", "Caffeinate", "Título do card que mantém o computador acordado")},
        {QStringLiteral("stop"),
         L10n::text("caffeinate.acao.desligar", "Desligar", "Botão que encerra o modo acordado")},
        {QStringLiteral("lid"), L10n::text("caffeinate.tampa.rotulo", "Tampa fechada",
                                           "Toggle que impede o computador de dormir com a tampa fechada")}};
}

QString CaffeinateWidget::statusText() const {
    if (!m_service->isActive())
        return L10n::text("caffeinate.status.parado", "Mantém o computador acordado (tela + sistema).",
                          "Explicação do que a aba faz quando está desligada");
    const auto remaining = m_service->remainingSeconds();
    const QString suffix =
        remaining ? L10n::formatted("caffeinate.status.faltam", "faltam %@",
                                    "Quanto tempo ainda resta ligado; %@ é a duração já formatada",
                                    {formatDuration(*remaining)})
                  : L10n::text("caffeinate.status.indefinido", "indefinido",
                               "Modo sem prazo pra desligar, mostrado no status");
    return L10n::formatted("caffeinate.status.ativo", "Ativo há %1$@ • %2$@",
                           "Status quando está ligado; %1$@ é há quanto tempo, %2$@ é o que falta",
                           {formatDuration(m_service->elapsedSeconds()), suffix});
}

QString CaffeinateWidget::lidToolTip() const {
    if (m_service->lidSleepPrevented())
        return L10n::text(
            "caffeinate.tampa.ajuda.ligada",
            "Dormir com a tampa fechada? Não, está desligado pra isso. Clique pra voltar ao normal.",
            "Tooltip do toggle de tampa fechada quando a proteção está ligada");
    return L10n::text("caffeinate.tampa.ajuda.desligada", "Dormir com a tampa fechada? Clique pra impedir.",
                      "Tooltip do toggle de tampa fechada quando a proteção está desligada");
}

QString CaffeinateWidget::formatDuration(qint64 seconds) {
    if (seconds < 3600)
        return L10n::formatted("caffeinate.tempo.minutos", "%lldmin",
                               "Duração em minutos; %lld é o número de minutos",
                               {CaffeinateService::wholeMinutes(seconds)});
    const qint64 minutes = CaffeinateService::wholeMinutes(seconds);
    const qint64 hours = minutes / 60;
    if (minutes % 60 != 0)
        return L10n::formatted("caffeinate.tempo.horas_minutos", "%1$lldh%2$lldmin",
                               "Duração em horas e minutos; %1$lld horas, %2$lld minutos",
                               {hours, minutes % 60});
    return L10n::formatted("caffeinate.tempo.horas", "%lldh",
                           "Duração em horas cheias; %lld é o número de horas", {hours});
}
