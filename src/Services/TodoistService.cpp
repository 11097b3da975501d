#include "Services/TodoistService.h"

#include "Foundation/L10n.h"
#include "Services/DiagnosticsService.h"
#include "Services/KeychainService.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>
#include <QUuid>

#include <algorithm>

namespace {

constexpr qint64 maxAnswerBytes = 4 << 20;
constexpr int excerptLength = 180;

QString invalidTokenText() {
    return L10n::text("tarefas.erro.token_invalido", "Token inválido",
                      "O token da API do Todoist foi recusado (401). Cabe numa linha estreita.");
}

// The first `count` user-perceived characters.
QString graphemePrefix(const QString& text, int count) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int i = 0; i < count && end >= 0 && end < text.size(); ++i)
        end = finder.toNextBoundary();
    return end < 0 ? text : text.left(end);
}

std::optional<QString> strictUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString timeKey(const TodoistTask& task) {
    return task.dueDate && task.dueDate->size() >= 11 ? task.dueDate->mid(11) : QString();
}

} // namespace

TodoistService::TodoistService(WebClient& web, const IClock& clock, IScheduler& scheduler,
                               TodoistEndpoint endpoint, NotificationCenter& notifications, QObject* parent)
    : QObject(parent)
    , m_web(web)
    , m_clock(clock)
    , m_scheduler(scheduler)
    , m_endpoint(std::move(endpoint))
    , m_notifications(notifications) {
    m_refreshTimer.setInterval(refreshIntervalMs);
    connect(&m_refreshTimer, &AlignedTimer::timeout, this, [this] {
        if (m_token)
            fetchAll();
    });
}

void TodoistService::start() {
    // Timer and observer first: a keychain answer may arrive before loadToken() returns.
    m_refreshTimer.start();
    if (m_tokenSavedObserver)
        m_notifications.removeObserver(*m_tokenSavedObserver);
    m_tokenSavedObserver = m_notifications.addObserver(Notifications::todoistTokenSaved, this, [this] {
        loadToken([this] {
            if (m_token)
                fetchAll();
        });
    });
    loadToken([this] {
        if (m_token && isRunning())
            fetchAll();
    });
}

void TodoistService::stop() {
    m_refreshTimer.stop();
    if (m_tokenSavedObserver)
        m_notifications.removeObserver(*m_tokenSavedObserver);
    m_tokenSavedObserver.reset();
}

// Reads the token, writes it back once (refreshing the item's label), and reads it again.
void TodoistService::loadToken(std::function<void()> then) {
    const auto finish = [this, then](const KeychainRead& read) {
        setToken(read.value);
        then();
    };
    KeychainService::loadAsync(tokenKey, this, [this, finish](const KeychainRead& first) {
        if (!first.value) {
            finish(first);
            return;
        }
        KeychainService::saveAsync(tokenKey, *first.value, this,
                                   [this, finish](std::optional<KeychainError>) {
                                       KeychainService::loadAsync(tokenKey, this, finish);
                                   });
    });
}

void TodoistService::setToken(std::optional<QString> token) {
    if (m_token == token)
        return;
    m_token = std::move(token);
    Q_EMIT tokenChanged();
}

void TodoistService::fetchAll() {
    fetchTasks();
    fetchProjects();
}

WebRequest TodoistService::request(const QByteArray& method, const QString& encodedPath,
                                   const QByteArray& authorization, const QString& query) const {
    WebRequest request;
    request.method = method;
    request.url = m_endpoint.baseUrl;
    request.url.setPath(m_endpoint.baseUrl.path(QUrl::FullyEncoded) + encodedPath, QUrl::StrictMode);
    if (!query.isEmpty())
        request.url.setQuery(query);
    request.headers.append({"Authorization", authorization});
    request.timeoutMs = m_endpoint.timeoutMs;
    request.maxBodyBytes = maxAnswerBytes;
    return request;
}

void TodoistService::fetchTasks() {
    if (!m_token)
        return;
    setLoading(true);
    setError(std::nullopt);
    const auto authorization = WebClient::bearerAuthorization(*m_token);
    if (!authorization) {
        setError(invalidTokenText());
        setLoading(false);
        return;
    }
    m_web.send(request("GET", QStringLiteral("/api/v1/tasks"), *authorization, QStringLiteral("limit=200")),
               this, [this](const WebResponse& response) { finishTaskFetch(response); });
}

void TodoistService::finishTaskFetch(const WebResponse& response) {
    using Failure = WebResponse::Failure;
    if (response.status == 0 || response.failure == Failure::timeout ||
        response.failure == Failure::tooLarge) {
        Diagnostics::write(Diagnostics::Level::Warn, QStringLiteral("Tarefas: a consulta falhou"),
                           response.errorText);
        setError(WebResponse::describe(response.failure));
    } else if (response.status == 200) {
        auto decoded = TodoistJson::decodeList<TodoistTask>(response.body);
        if (auto* tasks = std::get_if<QList<TodoistTask>>(&decoded)) {
            m_tasks = std::move(*tasks);
            Q_EMIT tasksChanged();
        } else {
            setError(describe(std::get<TodoistDecodeFailure>(decoded), response.body));
        }
    } else if (response.status == 401) {
        setError(invalidTokenText());
    } else if (response.status == 429) {
        const auto refusal = TodoistError::decode(response.body);
        if (refusal && refusal->retryAfter)
            setError(
                L10n::formatted("tarefas.erro.rate_limit_com_espera", "Rate limit. Retry em %ds",
                                "Todoist limitou a taxa (429). %d são os segundos até poder tentar de novo.",
                                {*refusal->retryAfter}));
        else
            setError(L10n::text("tarefas.erro.rate_limit", "Rate limit",
                                "Todoist limitou a taxa (429) sem dizer quanto esperar."));
    } else {
        setError(L10n::formatted("tarefas.erro.http", "Erro %d",
                                 "Resposta HTTP inesperada do Todoist. %d é o código de status.",
                                 {qint64(response.status)}));
    }
    setLoading(false);
}

QString TodoistService::describe(const TodoistDecodeFailure& failure, const QByteArray& payload) const {
    if (const auto text = strictUtf8(payload)) {
        const QString excerpt =
            graphemePrefix(QString(*text).replace(QLatin1Char('\n'), QLatin1Char(' ')), excerptLength);
        return L10n::formatted(
            "tarefas.erro.decode_com_payload", "Erro ao ler dados do Todoist em: %1$@ (%2$@). Payload: %3$@",
            "%1$@ é o caminho do campo no JSON, %2$@ o detalhe técnico e %3$@ um trecho da "
            "resposta. Os três não são traduzíveis.",
            {failure.path, failure.detail, excerpt});
    }
    return L10n::formatted("tarefas.erro.decode", "Erro ao ler dados do Todoist em: %1$@ (%2$@)",
                           "%1$@ é o caminho do campo no JSON e %2$@ o detalhe técnico. Nenhum dos dois é "
                           "traduzível.",
                           {failure.path, failure.detail});
}

void TodoistService::fetchProjects() {
    const auto authorization = m_token ? WebClient::bearerAuthorization(*m_token) : std::nullopt;
    if (!authorization)
        return;
    m_web.send(request("GET", QStringLiteral("/api/v1/projects"), *authorization), this,
               [this](const WebResponse& response) {
                   if (response.status != 200 || response.failure != WebResponse::Failure::none)
                       return;
                   auto decoded = TodoistJson::decodeList<TodoistProject>(response.body);
                   if (auto* projects = std::get_if<QList<TodoistProject>>(&decoded)) {
                       m_projects = std::move(*projects);
                       Q_EMIT projectsChanged();
                   }
               });
}

void TodoistService::closeTask(const QString& id) {
    if (id.isEmpty() || !m_token)
        return;
    const auto authorization = WebClient::bearerAuthorization(*m_token);
    if (!authorization) {
        fetchTasks(); // shows the invalid-token text; nothing is removed
        return;
    }
    setCompleting(id, true);
    m_scheduler.after(closePauseMs, this, [this, id, authorization = *authorization] {
        m_tasks.removeIf([&id](const TodoistTask& task) { return task.id == id; });
        Q_EMIT tasksChanged();
        setCompleting(id, false);
        const QString path = QStringLiteral("/api/v1/tasks/%1/close")
                                 .arg(QString::fromLatin1(QUrl::toPercentEncoding(id, {}, ".")));
        WebRequest close = request("POST", path, authorization);
        close.headers.append(
            {"X-Request-Id", QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toLatin1()});
        m_web.send(close, this, [this](const WebResponse& response) {
            if (response.status == 0 || response.status >= 400)
                fetchTasks();
        });
    });
}

QList<TodoistTask> TodoistService::overdueTasks() const {
    const QDateTime now = m_clock.now();
    QList<TodoistTask> overdue;
    for (const TodoistTask& task : m_tasks) {
        if (!task.isCompleted && task.isOverdue(now, m_clock.localZone()))
            overdue.append(task);
    }
    std::stable_sort(overdue.begin(), overdue.end(), [](const TodoistTask& a, const TodoistTask& b) {
        const QString dayA = a.dueDate.value_or(QString()).left(10),
                      dayB = b.dueDate.value_or(QString()).left(10);
        return dayA != dayB ? dayA < dayB : a.priority > b.priority;
    });
    return overdue;
}

QList<TodoistTask> TodoistService::todayTasks() const {
    QList<TodoistTask> today;
    for (const TodoistTask& task : m_tasks) {
        if (!task.isCompleted && isTaskDueToday(task))
            today.append(task);
    }
    std::stable_sort(today.begin(), today.end(), [](const TodoistTask& a, const TodoistTask& b) {
        const QString keyA = timeKey(a), keyB = timeKey(b);
        if (keyA.isEmpty() && keyB.isEmpty())
            return a.priority > b.priority;
        if (keyA.isEmpty() != keyB.isEmpty())
            return !keyA.isEmpty();
        return keyA < keyB;
    });
    return today;
}

bool TodoistService::isTaskDueToday(const TodoistTask& task) const {
    if (!task.dueDate)
        return false;
    const QDate today = m_clock.now().toTimeZone(m_clock.localZone()).date();
    const QString todayText = today.toString(QStringLiteral("yyyy-MM-dd"));
    if (task.dueDate->size() == 10)
        return *task.dueDate == todayText;
    if (const auto instant = parseTodoistDate(*task.dueDate))
        return instant->toTimeZone(m_clock.localZone()).date() == today;
    return task.dueDate->left(10) == todayText;
}

std::optional<QDateTime> TodoistService::parseTodoistDate(const QString& text) const {
    if (const auto instant = TodoistJson::parseInternetDateTime(text))
        return instant;
    QDateTime local = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
    if (!local.isValid())
        return std::nullopt;
    local.setTimeZone(m_clock.localZone());
    return local;
}

void TodoistService::setLoading(bool loading) {
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    Q_EMIT isLoadingChanged();
}

void TodoistService::setError(const std::optional<QString>& error) {
    if (m_error == error)
        return;
    m_error = error;
    Q_EMIT errorChanged();
}

void TodoistService::setCompleting(const QString& id, bool completing) {
    if (m_completingTaskIds.contains(id) == completing)
        return;
    completing ? void(m_completingTaskIds.insert(id)) : void(m_completingTaskIds.remove(id));
    Q_EMIT completingTaskIdsChanged();
}
