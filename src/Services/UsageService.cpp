#include "Services/UsageService.h"

#include "Foundation/L10n.h"
#include "Models/UsageArithmetic.h"
#include "Services/DiagnosticsService.h"

namespace {

const SystemClock systemClock;

QDateTime resetTime(const std::optional<QString>& text) {
    const std::optional<QDateTime> parsed = text ? UsageArithmetic::parseResetTime(*text) : std::nullopt;
    return parsed.value_or(QDateTime());
}

QString sessionExpired() {
    return L10n::text("uso.erro.sessao_expirada", "Sessão expirada. Abra o Claude Code para reautenticar.",
                      "Erro de uso: o token foi recusado");
}

} // namespace

UsageService::UsageService(Parts parts, QObject* parent)
    : QObject(parent)
    , m_parts(std::move(parts)) {
    if (!m_parts.clock)
        m_parts.clock = &systemClock;
    if (!m_parts.readToken)
        m_parts.readToken = UsageTokenSources::read;
    if (!m_parts.callUsageAPI) {
        m_endpoint = new UsageEndpointClient(UsageEndpointClient::configuredBaseUrl(), this);
        m_parts.callUsageAPI = [endpoint = m_endpoint](const QString& token, QObject* context, auto done) {
            endpoint->fetch(token, context, std::move(done));
        };
    }
    m_refreshTimer.setInterval(refreshIntervalMs);
    connect(&m_refreshTimer, &AlignedTimer::timeout, this, [this] { fetch(false); });
}

std::optional<qint64> UsageService::primaryPercent() const {
    return m_sessionLeft ? std::optional(UsageArithmetic::rounded(*m_sessionLeft)) : std::nullopt;
}

void UsageService::start() {
    fetch(false);
    m_refreshTimer.start();
}

void UsageService::stop() {
    m_refreshTimer.stop();
}

void UsageService::fetch(bool force) {
    if (force)
        m_cachedToken.reset();
    refreshManualTokenFlag();
    if (m_cachedToken)
        return callWith(*m_cachedToken);
    m_parts.readToken(this, [this](const UsageTokenSources::TokenRead& read) {
        assign(m_lastKeychainStatus, read.status, &UsageService::lastKeychainStatusChanged);
        if (!read.token)
            return setErrorMessage(noTokenMessage(read.status));
        if (!read.token->isEmpty())
            m_cachedToken = read.token;
        callWith(*read.token);
    });
}

void UsageService::callWith(const QString& token) {
    m_parts.callUsageAPI(token, this, [this, token](const UsageFetchResult& result) {
        if (result.response)
            return succeed(*result.response);
        handleFailure(token, result.error);
    });
}

void UsageService::handleFailure(const QString& rejectedToken, const UsageFetchError& error) {
    switch (error.kind) {
    case UsageFetchError::Kind::authenticationRequired:
        return retryAfterRejection(rejectedToken);
    case UsageFetchError::Kind::rateLimited:
        return setErrorMessage(
            L10n::text("uso.erro.rate_limit",
                       "Limite de requisições atingido. Aguarde alguns instantes e atualize novamente.",
                       "Erro de uso: o serviço pediu para esperar"));
    case UsageFetchError::Kind::other:
        return setErrorMessage(L10n::formatted("uso.erro.generico", "Erro ao buscar uso: %@",
                                               "Erro de uso; %@ é a descrição do erro", {error.description}));
    }
}

// One more try, only with a token other than the one just refused.
void UsageService::retryAfterRejection(const QString& rejectedToken) {
    m_cachedToken.reset();
    m_parts.readToken(this, [this, rejectedToken](const UsageTokenSources::TokenRead& read) {
        assign(m_lastKeychainStatus, read.status, &UsageService::lastKeychainStatusChanged);
        if (read.token && !read.token->isEmpty())
            m_cachedToken = read.token;
        if (!read.token || *read.token == rejectedToken)
            return setErrorMessage(sessionExpired());
        m_parts.callUsageAPI(*read.token, this, [this](const UsageFetchResult& result) {
            if (result.response)
                return succeed(*result.response);
            setErrorMessage(sessionExpired());
        });
    });
}

void UsageService::succeed(const UsageResponse& response) {
    applyResponse(response);
    setErrorMessage(QString());
    assign(m_lastUpdated, m_parts.clock->now(), &UsageService::lastUpdatedChanged);
}

void UsageService::applyResponse(const UsageResponse& response) {
    using UsageArithmetic::leftPercent;
    if (response.fiveHour) {
        assign(m_sessionLeft, std::optional(leftPercent(response.fiveHour->utilization)),
               &UsageService::sessionLeftChanged);
        assign(m_sessionResetsAt, resetTime(response.fiveHour->resetsAt),
               &UsageService::sessionResetsAtChanged);
    }
    if (response.sevenDay) {
        assign(m_weeklyLeft, std::optional(leftPercent(response.sevenDay->utilization)),
               &UsageService::weeklyLeftChanged);
        assign(m_weeklyResetsAt, resetTime(response.sevenDay->resetsAt),
               &UsageService::weeklyResetsAtChanged);
    }
    if (response.sevenDaySonnet)
        assign(m_sonnetLeft, std::optional(leftPercent(response.sevenDaySonnet->utilization)),
               &UsageService::sonnetLeftChanged);
}

QString UsageService::noTokenMessage(qint32 status) {
    switch (status) {
    case SecretStatus::itemNotFound:
        return L10n::text("uso.erro.nao_autenticado",
                          "Não autenticado. Rode `claude` no terminal e faça login, ou cole um token em "
                          "Configurações > Uso.",
                          "Erro de uso: nenhuma credencial do Claude Code e nenhum token colado");
    case SecretStatus::authFailed:
    case SecretStatus::interactionNotAllowed:
    case -25315: // user interaction required
        return L10n::text(
            "uso.erro.keychain_negado",
            "Acesso às credenciais negado. Em Configurações > Uso, cole seu token, ou desbloqueie o "
            "chaveiro para o Tavimor ler \"Claude Code-credentials\".",
            "Erro de uso: a leitura das credenciais foi recusada");
    default:
        return L10n::text(
            "uso.erro.token_ausente",
            "Token não encontrado. Faça login no Claude Code ou cole um token em Configurações > "
            "Uso.",
            "Erro de uso: as credenciais existem mas não têm token");
    }
}

void UsageService::saveManualToken(const QString& token,
                                   std::function<void(std::optional<KeychainError>)> done) {
    m_cachedToken.reset();
    KeychainService::saveAsync(UsageTokenSources::manualTokenKey, token, this,
                               [this, done = std::move(done)](std::optional<KeychainError> error) {
                                   if (error)
                                       Diagnostics::write(Diagnostics::Level::Warn,
                                                          QStringLiteral("Falha ao salvar o token do Claude"),
                                                          QStringLiteral("status %1").arg(error->status));
                                   m_cachedToken.reset();
                                   fetch(false);
                                   if (done)
                                       done(error);
                               });
}

void UsageService::clearManualToken() {
    KeychainService::removeAsync(UsageTokenSources::manualTokenKey, this,
                                 [this] { refreshManualTokenFlag(); });
    m_cachedToken.reset();
    assign(m_sessionLeft, std::optional<double>(), &UsageService::sessionLeftChanged);
    assign(m_weeklyLeft, std::optional<double>(), &UsageService::weeklyLeftChanged);
    assign(m_sonnetLeft, std::optional<double>(), &UsageService::sonnetLeftChanged);
    setErrorMessage(QString());
}

void UsageService::refreshManualTokenFlag() {
    KeychainService::loadAsync(UsageTokenSources::manualTokenKey, this, [this](const KeychainRead& read) {
        assign(m_hasManualToken, read.value.has_value() && !read.value->isEmpty(),
               &UsageService::hasManualTokenChanged);
    });
}

void UsageService::setErrorMessage(const QString& message) {
    if (m_errorMessage == message && m_errorMessage.isNull() == message.isNull())
        return;
    m_errorMessage = message;
    Q_EMIT errorMessageChanged();
}
