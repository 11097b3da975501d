#include "Widgets/UsageSettingsModel.h"

#include "Foundation/L10n.h"
#include "Foundation/WhileAlive.h"
#include "Models/UsageArithmetic.h"

UsageSettingsModel::UsageSettingsModel(QObject* usageService, QObject* parent)
    : QObject(parent)
    , m_service(qobject_cast<UsageService*>(usageService)) {
    if (!m_service)
        return;
    for (const auto signal : {&UsageService::hasManualTokenChanged, &UsageService::sessionLeftChanged,
                              &UsageService::errorMessageChanged})
        connect(m_service, signal, this, &UsageSettingsModel::changed);
}

QString UsageSettingsModel::statusText() const {
    if (m_saveError)
        return L10n::formatted(
            "config.claude.erro_salvar", "Não foi possível salvar o token (status %lld).",
            "Status do token do Claude quando o chaveiro recusou a gravação; %lld é o código",
            {qint64(m_saveError->status)});
    if (!m_service)
        return {};
    if (!m_service->errorMessage().isNull())
        return m_service->errorMessage();
    if (const std::optional<double> left = m_service->sessionLeft())
        return L10n::formatted("config.claude.conectado", "Conectado · %lld% da sessão restante",
                               "Status do token do Claude após uma leitura bem-sucedida; %lld é o percentual",
                               {UsageArithmetic::rounded(*left)});
    return L10n::text("uso.carregando", "Carregando...",
                      "Placeholder enquanto a cota do Claude ainda não carregou");
}

QString UsageSettingsModel::saveLabel() {
    return L10n::text("config.claude.salvar", "Salvar", "Botão que guarda o token do Claude colado");
}

QString UsageSettingsModel::removeLabel() {
    return L10n::text("config.claude.remover", "Remover", "Botão que apaga o token do Claude guardado");
}

QString UsageSettingsModel::refreshLabel() {
    return L10n::text("config.claude.atualizar", "Atualizar", "Botão que busca a cota do Claude de novo");
}

void UsageSettingsModel::save(const QString& pastedToken) {
    const QString token = pastedToken.trimmed();
    if (!m_service || token.isEmpty())
        return;
    setSaveError(std::nullopt);
    m_service->saveManualToken(token, whileAlive(this, [this](std::optional<KeychainError> error) {
                                   setSaveError(error);
                                   if (!error)
                                       Q_EMIT saved();
                               }));
}

void UsageSettingsModel::remove() {
    if (!m_service)
        return;
    setSaveError(std::nullopt);
    m_service->clearManualToken();
}

void UsageSettingsModel::refresh() {
    if (m_service)
        m_service->fetch(true);
}

void UsageSettingsModel::setSaveError(std::optional<KeychainError> error) {
    if (m_saveError == error)
        return;
    m_saveError = error;
    Q_EMIT changed();
}
