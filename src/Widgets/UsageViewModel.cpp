#include "Widgets/UsageViewModel.h"

#include "Foundation/L10n.h"
#include "Models/UsageArithmetic.h"
#include "Theme/TavimorTheme.h"

UsageViewModel::UsageViewModel(UsageService& service, QObject* parent)
    : QObject(parent)
    , m_service(service) {
    for (const auto signal : {&UsageService::sessionLeftChanged, &UsageService::weeklyLeftChanged,
                              &UsageService::sessionResetsAtChanged, &UsageService::weeklyResetsAtChanged,
                              &UsageService::lastUpdatedChanged, &UsageService::errorMessageChanged})
        connect(&service, signal, this, &UsageViewModel::changed);
}

QString UsageViewModel::title() {
    return L10n::text("Claude", "Claude", "Título do card de uso; nome do produto, não se traduz");
}

QString UsageViewModel::compactText() const {
    const std::optional<qint64> percent = m_service.primaryPercent();
    if (!percent)
        return QStringLiteral("\u2013");
    return L10n::formatted("%lld%", "%lld%",
                           "Percentual de cota restante ao lado do notch; %lld é o percentual", {*percent});
}

QColor UsageViewModel::compactColor() const {
    const std::optional<qint64> percent = m_service.primaryPercent();
    if (percent && *percent < compactLowBelow)
        return TavimorTheme::danger();
    if (percent && *percent < compactMediumBelow)
        return TavimorTheme::accent();
    return TavimorTheme::compactText();
}

QString UsageViewModel::ageText() const {
    if (!m_service.lastUpdated().isValid())
        return {};
    return UsageArithmetic::relativeTime(m_service.lastUpdated(), m_service.clock().now());
}

QString UsageViewModel::errorText() const {
    return m_service.errorMessage();
}

QString UsageViewModel::loadingText() const {
    if (!m_service.errorMessage().isNull() || m_service.sessionLeft())
        return {};
    return L10n::text("uso.carregando", "Carregando...",
                      "Placeholder enquanto a cota do Claude ainda não carregou");
}

QVariantList UsageViewModel::rows() const {
    if (!m_service.errorMessage().isNull() || !m_service.sessionLeft())
        return {};
    const QDateTime now = m_service.clock().now();
    QVariantList rows{
        row(L10n::text("uso.periodo.sessao", "Sessão", "Rótulo da cota da sessão atual do Claude"),
            *m_service.sessionLeft(), m_service.sessionResetsAt(), UsageArithmetic::sessionPeriod, now)};
    if (const std::optional<double> weekly = m_service.weeklyLeft())
        rows.append(row(L10n::text("uso.periodo.semanal", "Semana", "Rótulo da cota semanal do Claude"),
                        *weekly, m_service.weeklyResetsAt(), UsageArithmetic::weeklyPeriod, now));
    return rows;
}

QVariantMap UsageViewModel::row(const QString& label, double leftPercent, const QDateTime& resetsAt,
                                double period, const QDateTime& now) const {
    const qint64 whole = UsageArithmetic::rounded(leftPercent);
    const std::optional<QString> runsOut = UsageArithmetic::runsOutIn(leftPercent, resetsAt, period, now);
    return {
        {QStringLiteral("label"), label},
        {QStringLiteral("percentText"),
         L10n::formatted("uso.restante", "%lld% restante",
                         "Percentual de cota que ainda sobra; %lld é o percentual", {whole})},
        {QStringLiteral("low"), whole < rowLowBelow},
        {QStringLiteral("fraction"), UsageArithmetic::drawnFraction(leftPercent)},
        {QStringLiteral("resetText"),
         resetsAt.isValid() ? L10n::formatted("uso.reset", "Reset %@",
                                              "Quando a cota renova; %@ já vem formatado, ex.: \"em 2h 30m\"",
                                              {UsageArithmetic::timeUntil(resetsAt, now)})
                            : QString()},
        {QStringLiteral("warningText"),
         runsOut ? L10n::formatted(
                       "uso.esgota", "Esgota %@",
                       "Aviso de que a cota acaba antes do reset; %@ já vem formatado, ex.: \"em 40m\"",
                       {*runsOut})
                 : QString()},
    };
}

void UsageViewModel::refresh() {
    m_service.fetch(true);
}
