#include "Models/UsageResponse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

UsagePeriod periodFrom(const QJsonValue& value) {
    UsagePeriod period;
    const QJsonObject object = value.toObject();
    if (const QJsonValue utilization = object.value(u"utilization"); utilization.isDouble())
        period.utilization = utilization.toDouble();
    if (const QJsonValue resetsAt = object.value(u"resets_at"); resetsAt.isString())
        period.resetsAt = resetsAt.toString();
    return period;
}

std::optional<double> numberFrom(const QJsonValue& value) {
    return value.isDouble() ? std::optional(value.toDouble()) : std::nullopt;
}

ExtraUsage extraFrom(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    return {object.value(u"is_enabled").toBool(false), numberFrom(object.value(u"used_credits")),
            numberFrom(object.value(u"monthly_limit"))};
}

template <typename T>
std::optional<T> fieldOf(const QJsonObject& object, QStringView key, T (*read)(const QJsonValue&)) {
    if (!object.contains(key))
        return std::nullopt;
    return read(object.value(key));
}

} // namespace

std::optional<UsageResponse> decodeUsageResponse(const QByteArray& body, QString* error) {
    // The JSON reader refuses a top-level scalar; wrapped in an array, any single JSON value is accepted.
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson('[' + body + ']', &parseError);
    if (parseError.error != QJsonParseError::NoError || document.array().size() != 1) {
        if (error)
            *error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                  : QStringLiteral("no JSON value");
        return std::nullopt;
    }
    const QJsonObject top = document.array().first().toObject();
    return UsageResponse{fieldOf(top, u"five_hour", periodFrom), fieldOf(top, u"seven_day", periodFrom),
                         fieldOf(top, u"seven_day_sonnet", periodFrom),
                         fieldOf(top, u"extra_usage", extraFrom)};
}
