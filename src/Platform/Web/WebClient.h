#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <utility>

// One HTTP request as the web services make it: only the headers named here are added by us, and the answer
// is cut off past maxBodyBytes or after timeoutMs.
struct WebRequest {
    QByteArray method = "GET";
    QUrl url;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int timeoutMs = 15000;
    qint64 maxBodyBytes = 1 << 20;
};

struct WebResponse {
    enum class Failure {
        none,
        timeout,
        refused,
        hostNotFound,
        secureChannel,
        transport,
        redirectRefused,
        tooLarge
    };

    int status = 0; // the HTTP status; 0 when no HTTP answer arrived
    QByteArray body;
    Failure failure = Failure::none;
    // The network layer's own (English) description of a failure, for the diagnostics log only; never holds
    // request headers.
    QString errorText;
    QList<std::pair<QByteArray, QByteArray>> headers;

    // The first header of that name (case-insensitive), or empty.
    QByteArray header(const QByteArray& name) const;

    // What the user reads about a failure, in the interface's language; empty when nothing failed.
    static QString describe(Failure failure);
};

// The HTTP client both web services use. Redirects are followed only to the same origin, so a bearer token
// never reaches another host; everything runs on the caller's (GUI) thread without blocking it.
class WebClient : public QObject {
    Q_OBJECT

public:
    explicit WebClient(QObject* parent = nullptr);

    // Sends the request; `done` runs once on this thread with the answer, unless `context` is gone by then.
    void send(const WebRequest& request, QObject* context, std::function<void(const WebResponse&)> done);

    // The Authorization value for a bearer token: surrounding white space (line breaks included) is trimmed;
    // nothing when the token is empty or still holds a control character, which could inject headers.
    static std::optional<QByteArray> bearerAuthorization(const QString& token);

private:
    QNetworkAccessManager m_network;
};
