#pragma once

#include "Models/UsageResponse.h"
#include "Platform/Web/WebClient.h"

#include <QObject>
#include <QUrl>

#include <functional>
#include <optional>

// Why a usage request failed, as the usage service tells failures apart.
struct UsageFetchError {
    enum class Kind { authenticationRequired, rateLimited, other };
    Kind kind = Kind::other;
    QString description; // for `other`: what the error text shows after "Erro ao buscar uso: "
};

struct UsageFetchResult {
    std::optional<UsageResponse> response; // set on success
    UsageFetchError error;                 // read only without a response
};

// The usage endpoint of the AI assistant's web service: one GET of /api/oauth/usage with the user's OAuth
// access token, no retry. Stateless apart from its HTTP client; several calls may be in flight.
class UsageEndpointClient : public QObject {
    Q_OBJECT
public:
    static inline const QUrl productionBaseUrl{QStringLiteral("https://api.anthropic.com")};
    static constexpr int defaultTimeoutMs = 10000;
    static constexpr int descriptionBodyCharacters = 120;

    explicit UsageEndpointClient(QUrl baseUrl = configuredBaseUrl(), QObject* parent = nullptr,
                                 int timeoutMs = defaultTimeoutMs);

    // The production host, unless the test hook TAVIMOR_TEST_USAGE_BASE_URL names a loopback address
    // (http://127.0.0.1:<port> or http://localhost:<port>): only the end-to-end tests set it, and a token
    // can never leave the machine through it.
    static QUrl configuredBaseUrl();

    // `done` runs on this thread unless `context` is gone. A token that still holds a control character
    // after trimming is never sent.
    void fetch(const QString& token, QObject* context, std::function<void(const UsageFetchResult&)> done);

    // The request for a token; none when the token cannot be sent.
    std::optional<WebRequest> requestFor(const QString& token) const;
    // What an answer means for the usage service.
    static UsageFetchResult interpret(const WebResponse& response);

private:
    QUrl m_baseUrl;
    int m_timeoutMs;
    WebClient m_web;
};
