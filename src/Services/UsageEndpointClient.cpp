#include "Services/UsageEndpointClient.h"

#include "Foundation/L10n.h"
#include "Services/DiagnosticsService.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>

namespace {

UsageFetchResult failure(UsageFetchError::Kind kind, QString description = {}) {
    return {std::nullopt, {kind, std::move(description)}};
}

// The user reads `description`; the platform's own wording of the cause goes to the log.
UsageFetchResult loggedFailure(QString description, const QString& platformText) {
    Diagnostics::write(Diagnostics::Level::Warn, QStringLiteral("Uso: a consulta falhou"), platformText);
    return failure(UsageFetchError::Kind::other, std::move(description));
}

// The first `count` user-perceived characters of the body; empty when it is not valid UTF-8.
QString bodyStart(const QByteArray& body, int count) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(body);
    if (decoder.hasError())
        return {};
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    for (int i = 0; i < count; ++i) {
        if (graphemes.toNextBoundary() < 0)
            return text;
    }
    return text.left(graphemes.position());
}

bool isLoopback(const QUrl& url) {
    return url.scheme() == u"http" && (url.host() == u"127.0.0.1" || url.host() == u"localhost") &&
           url.path().isEmpty() && url.userInfo().isEmpty() && !url.hasQuery() && !url.hasFragment();
}

} // namespace

UsageEndpointClient::UsageEndpointClient(QUrl baseUrl, QObject* parent, int timeoutMs)
    : QObject(parent)
    , m_baseUrl(std::move(baseUrl))
    , m_timeoutMs(timeoutMs) {}

QUrl UsageEndpointClient::configuredBaseUrl() {
    const QUrl testUrl(qEnvironmentVariable("TAVIMOR_TEST_USAGE_BASE_URL"), QUrl::StrictMode);
    return isLoopback(testUrl) ? testUrl : productionBaseUrl;
}

std::optional<WebRequest> UsageEndpointClient::requestFor(const QString& token) const {
    const std::optional<QByteArray> authorization = WebClient::bearerAuthorization(token);
    if (!authorization)
        return std::nullopt;
    WebRequest request;
    request.url = m_baseUrl.resolved(QUrl(QStringLiteral("/api/oauth/usage")));
    request.timeoutMs = m_timeoutMs;
    request.headers = {{"Authorization", *authorization},
                       {"Accept", "application/json"},
                       {"anthropic-beta", "oauth-2025-04-20"},
                       {"User-Agent", "claude-code/2.1.69"}};
    return request;
}

void UsageEndpointClient::fetch(const QString& token, QObject* context,
                                std::function<void(const UsageFetchResult&)> done) {
    const std::optional<WebRequest> request = requestFor(token);
    if (!request) {
        // Answered on the next turn of the loop, like a request that failed, and never naming the token.
        QMetaObject::invokeMethod(
            context,
            [done = std::move(done)] {
                done(failure(UsageFetchError::Kind::other,
                             L10n::text("uso.erro.token_invalido", "o token contém caracteres inválidos",
                                        "Motivo do erro quando o token colado tem caracteres de controle")));
            },
            Qt::QueuedConnection);
        return;
    }
    m_web.send(*request, context,
               [done = std::move(done)](const WebResponse& response) { done(interpret(response)); });
}

UsageFetchResult UsageEndpointClient::interpret(const WebResponse& response) {
    using Kind = UsageFetchError::Kind;
    if (response.failure != WebResponse::Failure::none)
        return loggedFailure(WebResponse::describe(response.failure), response.errorText);
    if (response.status == 401)
        return failure(Kind::authenticationRequired);
    if (response.status == 429)
        return failure(Kind::rateLimited);
    if (response.status < 200 || response.status > 299)
        return failure(Kind::other, QStringLiteral("HTTP %1: %2")
                                        .arg(response.status)
                                        .arg(bodyStart(response.body, descriptionBodyCharacters)));
    QString decodingError;
    std::optional<UsageResponse> decoded = decodeUsageResponse(response.body, &decodingError);
    if (!decoded)
        return loggedFailure(
            L10n::text("uso.erro.resposta_ilegivel", "a resposta não é um JSON válido",
                       "Motivo do erro de uso: o corpo de uma resposta de sucesso não é JSON"),
            decodingError);
    return {std::move(decoded), {}};
}
