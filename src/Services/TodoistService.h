#pragma once

#include "Foundation/AlignedTimer.h"
#include "Foundation/Clock.h"
#include "Foundation/NotificationCenter.h"
#include "Models/TodoistModels.h"
#include "Platform/Web/WebClient.h"

#include <QObject>
#include <QSet>
#include <QUrl>

#include <optional>

// Where the task service answers; tests point it at a loopback server.
struct TodoistEndpoint {
    QUrl baseUrl = QUrl(QStringLiteral("https://api.todoist.com"));
    int timeoutMs = 60'000;
};

// The client of the task service's REST API: keeps the open tasks and projects, refreshes them every two
// minutes while started, closes a task optimistically, and turns every failure into one short text. The
// token is read from the keychain without blocking; a token that could inject headers is never sent.
class TodoistService final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    Q_PROPERTY(QString error READ errorText NOTIFY errorChanged)
    Q_PROPERTY(bool hasToken READ hasToken NOTIFY tokenChanged)

public:
    static inline const QString tokenKey = QStringLiteral("todoist_token");
    static constexpr int refreshIntervalMs = 120'000;
    static constexpr int closePauseMs = 400;

    TodoistService(WebClient& web, const IClock& clock, IScheduler& scheduler, TodoistEndpoint endpoint = {},
                   NotificationCenter& notifications = NotificationCenter::shared(),
                   QObject* parent = nullptr);

    void start();
    void stop();
    void fetchAll();
    void fetchTasks();
    void fetchProjects();
    void closeTask(const QString& id);

    const QList<TodoistTask>& tasks() const { return m_tasks; }
    const QList<TodoistProject>& projects() const { return m_projects; }
    bool isLoading() const { return m_isLoading; }
    const std::optional<QString>& error() const { return m_error; }
    QString errorText() const { return m_error.value_or(QString()); }
    const QSet<QString>& completingTaskIds() const { return m_completingTaskIds; }
    bool hasToken() const { return m_token.has_value(); }
    bool isRunning() const { return m_refreshTimer.isActive(); }

    QList<TodoistTask> overdueTasks() const;
    QList<TodoistTask> todayTasks() const;
    bool isTaskDueToday(const TodoistTask& task) const;
    std::optional<QDateTime> parseTodoistDate(const QString& text) const;

Q_SIGNALS:
    void tasksChanged();
    void projectsChanged();
    void isLoadingChanged();
    void errorChanged();
    void completingTaskIdsChanged();
    void tokenChanged();

private:
    void loadToken(std::function<void()> then);
    void setToken(std::optional<QString> token);
    WebRequest request(const QByteArray& method, const QString& encodedPath, const QByteArray& authorization,
                       const QString& query = {}) const;
    void finishTaskFetch(const WebResponse& response);
    QString describe(const TodoistDecodeFailure& failure, const QByteArray& payload) const;
    void setLoading(bool loading);
    void setError(const std::optional<QString>& error);
    void setCompleting(const QString& id, bool completing);

    WebClient& m_web;
    const IClock& m_clock;
    IScheduler& m_scheduler;
    TodoistEndpoint m_endpoint;
    NotificationCenter& m_notifications;

    QList<TodoistTask> m_tasks;
    QList<TodoistProject> m_projects;
    bool m_isLoading = false;
    std::optional<QString> m_error;
    QSet<QString> m_completingTaskIds;
    std::optional<QString> m_token;
    AlignedTimer m_refreshTimer;
    std::optional<NotificationCenter::Token> m_tokenSavedObserver;
};
