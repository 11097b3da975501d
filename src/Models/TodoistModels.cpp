#include "Models/TodoistModels.h"

#include "Foundation/OutsideText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {

QString jsonKind(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("bool");
    case QJsonValue::Double:
        return QStringLiteral("number");
    case QJsonValue::String:
        return QStringLiteral("string");
    case QJsonValue::Array:
        return QStringLiteral("array");
    case QJsonValue::Object:
        return QStringLiteral("dictionary");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

TodoistDecodeFailure typeMismatch(const QString& path, const char* expected, const QJsonValue& found) {
    return {TodoistDecodeFailure::Kind::typeMismatch, path,
            QStringLiteral("Expected to decode %1 but found %2 instead.")
                .arg(QLatin1String(expected), jsonKind(found))};
}

QString joined(const QString& path, const QString& key) {
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}

std::optional<QString> stringOnly(const QJsonValue& value) {
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

std::optional<qint64> integerOnly(const QJsonValue& value) {
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::floor(number) || std::abs(number) > 9.0e18)
        return std::nullopt;
    return value.toInteger();
}

// An optional field of a strict record: absent or null is nothing, another type fails the record.
template <typename T> bool readOptional(const QJsonObject& object, const char* key, std::optional<T>& out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return true;
    if constexpr (std::is_same_v<T, QString>)
        out = stringOnly(value);
    else
        out = integerOnly(value);
    return out.has_value();
}

std::optional<QString> dueDateOf(const QJsonObject& task) {
    if (const auto flat = stringOnly(task.value(QLatin1String("due_date"))))
        return flat;
    const QJsonValue due = task.value(QLatin1String("due"));
    if (!due.isObject())
        return std::nullopt;
    std::optional<QString> date, datetime;
    if (!readOptional(due.toObject(), "date", date) || !readOptional(due.toObject(), "datetime", datetime))
        return std::nullopt;
    return datetime ? datetime : date;
}

std::optional<QString> durationOf(const QJsonObject& task) {
    const QJsonValue value = task.value(QLatin1String("duration"));
    if (const auto flat = stringOnly(value))
        return flat;
    if (!value.isObject())
        return std::nullopt;
    std::optional<qint64> amount;
    std::optional<QString> unit;
    if (!readOptional(value.toObject(), "amount", amount) || !readOptional(value.toObject(), "unit", unit) ||
        !amount)
        return std::nullopt;
    return QString::number(*amount) + unit.value_or(QStringLiteral("m")).left(1);
}

// An optional field of a project that takes a string or a number: absent or null is nothing, another type
// fails the record.
std::optional<TodoistDecodeFailure> readLossy(const QJsonObject& object, const char* key, const QString& path,
                                              std::optional<QString>& out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    out = TodoistJson::lossyString(value);
    if (!out)
        return typeMismatch(joined(path, QLatin1String(key)), "String/Int/Double", value);
    return std::nullopt;
}

QStringList labelsOf(const QJsonValue& value) {
    QStringList labels;
    for (const QJsonValue& label : value.toArray()) {
        if (!label.isString())
            return {};
        labels.append(label.toString());
    }
    return labels;
}

QString todayText(const QDateTime& now, const QTimeZone& zone) {
    return now.toTimeZone(zone).date().toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

namespace TodoistJson {

std::optional<QString> lossyString(const QJsonValue& value) {
    if (value.isString())
        return value.toString();
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number == std::floor(number) && std::abs(number) < 9.0e15)
        return QString::number(value.toInteger());
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

std::optional<QDateTime> parseInternetDateTime(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(\.\d+)?(Z|[+-]\d{2}:\d{2})$)"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    const QDateTime parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
    return parsed.isValid() ? std::optional(parsed) : std::nullopt;
}

template <typename T>
std::variant<QList<T>, TodoistDecodeFailure> decodeArray(const QJsonValue& value, const QString& path) {
    if (!value.isArray())
        return typeMismatch(path.isEmpty() ? QStringLiteral("<root>") : path, "Array<Any>", value);
    QList<T> list;
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        auto element = T::decode(array.at(i), joined(path, QStringLiteral("Index %1").arg(i)));
        if (auto* failure = std::get_if<TodoistDecodeFailure>(&element))
            return *failure;
        list.append(std::get<T>(std::move(element)));
    }
    return list;
}

template <typename T> std::variant<QList<T>, TodoistDecodeFailure> decodeList(const QByteArray& body) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (document.isNull())
        return TodoistDecodeFailure{
            TodoistDecodeFailure::Kind::dataCorrupted, QStringLiteral("<root>"),
            QStringLiteral("The given data was not valid JSON. (%1)").arg(parseError.errorString())};
    if (document.isObject()) {
        const QJsonObject object = document.object();
        for (const char* key : {"results", "items", "tasks", "data"}) {
            const QJsonValue inner = object.value(QLatin1String(key));
            if (!inner.isArray())
                continue;
            auto list = decodeArray<T>(inner, QLatin1String(key));
            if (std::holds_alternative<QList<T>>(list))
                return list;
        }
        return typeMismatch(QStringLiteral("<root>"), "Array<Any>", document.object());
    }
    return decodeArray<T>(document.array(), QString());
}

template std::variant<QList<TodoistTask>, TodoistDecodeFailure> decodeList(const QByteArray&);
template std::variant<QList<TodoistProject>, TodoistDecodeFailure> decodeList(const QByteArray&);

} // namespace TodoistJson

std::variant<TodoistTask, TodoistDecodeFailure> TodoistTask::decode(const QJsonValue& value,
                                                                    const QString& path) {
    if (!value.isObject())
        return typeMismatch(path, "Dictionary<String, Any>", value);
    const QJsonObject json = value.toObject();
    const auto field = [&json](const char* key) { return json.value(QLatin1String(key)); };
    TodoistTask task;
    task.id = TodoistJson::lossyString(field("id")).value_or(QString());
    task.content = cappedText(stringOnly(field("content")).value_or(QString()));
    task.description = stringOnly(field("description"));
    task.projectId = TodoistJson::lossyString(field("project_id")).value_or(QString());
    task.sectionId = stringOnly(field("section_id"));
    task.parentId = stringOnly(field("parent_id"));
    task.labels = labelsOf(field("labels"));
    task.priority = integerOnly(field("priority")).value_or(1);
    task.childOrder = integerOnly(field("child_order")).value_or(0);
    task.dueDate = dueDateOf(json);
    task.isRecurring = field("recurring").toBool(false);
    task.isCompleted = field("checked").toBool(false);
    task.duration = durationOf(json);
    return task;
}

bool TodoistTask::isOverdue(const QDateTime& now, const QTimeZone& zone) const {
    if (isCompleted || !dueDate)
        return false;
    const QString today = todayText(now, zone);
    if (dueDate->size() == 10)
        return *dueDate < today;
    if (const auto instant = TodoistJson::parseInternetDateTime(*dueDate))
        return *instant < QDateTime(now.toTimeZone(zone).date(), QTime(0, 0), zone);
    return dueDate->left(10) < today;
}

std::variant<TodoistProject, TodoistDecodeFailure> TodoistProject::decode(const QJsonValue& value,
                                                                          const QString& path) {
    if (!value.isObject())
        return typeMismatch(path, "Dictionary<String, Any>", value);
    const QJsonObject json = value.toObject();
    TodoistProject project;
    const auto id = TodoistJson::lossyString(json.value(QLatin1String("id")));
    if (!id)
        return typeMismatch(joined(path, QStringLiteral("id")), "String/Int/Double",
                            json.value(QLatin1String("id")));
    const QJsonValue name = json.value(QLatin1String("name"));
    if (name.isUndefined())
        return TodoistDecodeFailure{TodoistDecodeFailure::Kind::keyNotFound, path,
                                    QStringLiteral("No value associated with key \"name\".")};
    if (!name.isString())
        return typeMismatch(joined(path, QStringLiteral("name")), "String", name);
    project.id = *id;
    project.name = name.toString();
    std::optional<QString> color;
    if (auto failure = readLossy(json, "color", path, color))
        return *failure;
    project.color = color.value_or(project.color);
    if (auto failure = readLossy(json, "parent_id", path, project.parentId))
        return *failure;
    project.childOrder = integerOnly(json.value(QLatin1String("child_order"))).value_or(0);
    project.isFavorite = json.value(QLatin1String("is_favorite")).toBool(false);
    project.isInboxProject = json.value(QLatin1String("inbox_project")).toBool(false);
    return project;
}

std::optional<TodoistError> TodoistError::decode(const QByteArray& body) {
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject json = document.object();
    TodoistError error;
    const auto message = stringOnly(json.value(QLatin1String("error")));
    if (!message)
        return std::nullopt;
    error.error = *message;
    if (!readOptional(json, "error_code", error.errorCode) ||
        !readOptional(json, "error_tag", error.errorTag) || !readOptional(json, "http_code", error.httpCode))
        return std::nullopt;
    const QJsonValue extra = json.value(QLatin1String("error_extra"));
    if (extra.isUndefined() || extra.isNull())
        return error;
    if (!extra.isObject() || !readOptional(extra.toObject(), "retry_after", error.retryAfter))
        return std::nullopt;
    return error;
}
