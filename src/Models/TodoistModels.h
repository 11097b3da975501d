#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <optional>
#include <variant>

// Why a list answer could not be read: where in the JSON (coding path, "<root>" for the top) and what the
// reader expected there.
struct TodoistDecodeFailure {
    enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };
    Kind kind = Kind::dataCorrupted;
    QString path;
    QString detail;
};

// An open task of the task service. Decoding never fails for a JSON object: each field falls back on its own.
struct TodoistTask {
    QString id;
    QString content;
    std::optional<QString> description;
    QString projectId;
    std::optional<QString> sectionId;
    std::optional<QString> parentId;
    QStringList labels;
    qint64 priority = 1;
    qint64 childOrder = 0;
    std::optional<QString> dueDate; // "2025-03-07" or a date-time, exactly as sent
    bool isRecurring = false;
    bool isCompleted = false;
    std::optional<QString> duration; // "30m", "2d", or the service's own text

    static std::variant<TodoistTask, TodoistDecodeFailure> decode(const QJsonValue& value,
                                                                  const QString& path);

    // Due before today (date-only), or before the start of today (date-time with a zone), in `zone`.
    bool isOverdue(const QDateTime& now, const QTimeZone& zone) const;
};

struct TodoistProject {
    QString id;
    QString name;
    QString color = QStringLiteral("charcoal");
    std::optional<QString> parentId;
    qint64 childOrder = 0;
    bool isFavorite = false;
    bool isInboxProject = false;

    static std::variant<TodoistProject, TodoistDecodeFailure> decode(const QJsonValue& value,
                                                                     const QString& path);
};

// The error body of a refused request.
struct TodoistError {
    QString error;
    std::optional<qint64> errorCode;
    std::optional<QString> errorTag;
    std::optional<qint64> httpCode;
    std::optional<qint64> retryAfter; // "error_extra"."retry_after"

    static std::optional<TodoistError> decode(const QByteArray& body);
};

namespace TodoistJson {

// A JSON string as it stands, an integer as its digits, any other number in its shortest form.
std::optional<QString> lossyString(const QJsonValue& value);

// "2025-03-08T14:30:00Z" or with an offset and optional fraction; nothing for any other form.
std::optional<QDateTime> parseInternetDateTime(const QString& text);

// Reads a list answer: {"results": [...]}, a bare array, or an object holding the array under "items",
// "tasks" or "data". The failure describes the last attempt, reading the body as a bare array.
template <typename T> std::variant<QList<T>, TodoistDecodeFailure> decodeList(const QByteArray& body);

} // namespace TodoistJson
