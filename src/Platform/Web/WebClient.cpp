#include "Platform/Web/WebClient.h"

#include "Foundation/L10n.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

bool isControl(QChar character) {
    return character.category() == QChar::Other_Control;
}

// Collects one reply's answer and hands it over exactly once.
class PendingReply : public QObject {
public:
    PendingReply(QNetworkReply* reply, const WebRequest& request, QObject* context,
                 std::function<void(const WebResponse&)> done)
        : QObject(reply)
        , m_reply(reply)
        , m_maxBodyBytes(request.maxBodyBytes)
        , m_context(context)
        , m_done(std::move(done)) {
        reply->setReadBufferSize(request.maxBodyBytes + 1);
        connect(reply, &QNetworkReply::metaDataChanged, this, &PendingReply::checkAnnouncedLength);
        connect(reply, &QNetworkReply::readyRead, this, &PendingReply::readBody);
        connect(reply, &QNetworkReply::finished, this, &PendingReply::finish);
        QTimer::singleShot(request.timeoutMs, this, [this] { abortWith(WebResponse::Failure::timeout); });
    }

private:
    void checkAnnouncedLength() {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_maxBodyBytes)
            abortWith(WebResponse::Failure::tooLarge);
    }

    void readBody() {
        m_response.body += m_reply->read(std::max<qint64>(0, m_maxBodyBytes + 1 - m_response.body.size()));
        if (m_response.body.size() > m_maxBodyBytes)
            abortWith(WebResponse::Failure::tooLarge);
    }

    void abortWith(WebResponse::Failure failure) {
        if (m_response.failure == WebResponse::Failure::none)
            m_response.failure = failure;
        // Aborting from inside the reply's own signal makes Qt report the error twice: let it return first.
        QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
    }

    void finish() {
        if (m_finished)
            return;
        m_finished = true;
        if (m_response.failure == WebResponse::Failure::none)
            readBody();
        m_response.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        for (const auto& [name, value] : m_reply->rawHeaderPairs())
            m_response.headers.append({name, value});
        classifyError();
        if (m_response.failure == WebResponse::Failure::tooLarge)
            m_response.body.truncate(m_maxBodyBytes);
        m_reply->deleteLater();
        if (m_context)
            m_done(m_response);
    }

    void classifyError() {
        const QNetworkReply::NetworkError error = m_reply->error();
        if (m_response.failure != WebResponse::Failure::none) {
            m_response.errorText = m_response.failure == WebResponse::Failure::timeout
                                       ? QStringLiteral("no answer in time")
                                       : QStringLiteral("answer over the size cap");
            return;
        }
        if (error == QNetworkReply::InsecureRedirectError || error == QNetworkReply::TooManyRedirectsError)
            m_response.failure = WebResponse::Failure::redirectRefused;
        else if (m_response.status == 0) // no HTTP answer, also when the network layer names no error
            m_response.failure = transportFailure(error);
        if (m_response.failure != WebResponse::Failure::none)
            m_response.errorText = m_reply->errorString();
    }

    static WebResponse::Failure transportFailure(QNetworkReply::NetworkError error) {
        switch (error) {
        case QNetworkReply::ConnectionRefusedError:
            return WebResponse::Failure::refused;
        case QNetworkReply::HostNotFoundError:
            return WebResponse::Failure::hostNotFound;
        case QNetworkReply::SslHandshakeFailedError:
            return WebResponse::Failure::secureChannel;
        default:
            return WebResponse::Failure::transport;
        }
    }

    QNetworkReply* m_reply;
    qint64 m_maxBodyBytes;
    QPointer<QObject> m_context;
    std::function<void(const WebResponse&)> m_done;
    WebResponse m_response;
    bool m_finished = false;
};

} // namespace

QByteArray WebResponse::header(const QByteArray& name) const {
    for (const auto& [headerName, value] : headers) {
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString WebResponse::describe(Failure failure) {
    switch (failure) {
    case Failure::none:
        return {};
    case Failure::timeout:
        return L10n::text("rede.erro.tempo_esgotado", "o servidor não respondeu a tempo",
                          "Motivo de uma falha de rede: passou o prazo sem resposta");
    case Failure::refused:
        return L10n::text("rede.erro.conexao_recusada", "o servidor recusou a conexão",
                          "Motivo de uma falha de rede: nada escuta no endereço");
    case Failure::hostNotFound:
        return L10n::text(
            "rede.erro.servidor_nao_encontrado", "servidor não encontrado",
            "Motivo de uma falha de rede: o nome do servidor não resolve (sem DNS ou sem rede)");
    case Failure::secureChannel:
        return L10n::text("rede.erro.conexao_segura", "não foi possível abrir uma conexão segura",
                          "Motivo de uma falha de rede: o TLS falhou");
    case Failure::transport:
        return L10n::text("rede.erro.sem_conexao", "sem conexão com o servidor",
                          "Motivo de uma falha de rede sem causa mais precisa");
    case Failure::redirectRefused:
        return L10n::text("rede.erro.redirecionamento",
                          "o servidor redirecionou para outro endereço, e o token não vai para lá",
                          "Motivo de uma falha de rede: redirecionamento para outra origem recusado");
    case Failure::tooLarge:
        return L10n::text("rede.erro.resposta_grande", "a resposta é grande demais",
                          "Motivo de uma falha de rede: a resposta passou do limite de tamanho");
    }
    return {};
}

WebClient::WebClient(QObject* parent)
    : QObject(parent) {
    m_network.setRedirectPolicy(QNetworkRequest::SameOriginRedirectPolicy);
}

void WebClient::send(const WebRequest& request, QObject* context,
                     std::function<void(const WebResponse&)> done) {
    QNetworkRequest networkRequest(request.url);
    for (const auto& [name, value] : request.headers)
        networkRequest.setRawHeader(name, value);
    QNetworkReply* reply = m_network.sendCustomRequest(networkRequest, request.method, request.body);
    new PendingReply(reply, request, context, std::move(done));
}

std::optional<QByteArray> WebClient::bearerAuthorization(const QString& token) {
    const QString trimmed = token.trimmed();
    if (trimmed.isEmpty() || std::any_of(trimmed.cbegin(), trimmed.cend(), isControl))
        return std::nullopt;
    return QByteArrayLiteral("Bearer ") + trimmed.toUtf8();
}
