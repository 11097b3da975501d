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

std::optional<UsagePeriod> periodOf(const QJsonObject& object, QStringView key) {
    if (!object.contains(key))
        return std::nullopt;
    return periodFrom(object.value(key));
}

std::optional<double> numberOf(const QJsonObject& object, QStringView key) {
    const QJsonValue value = object.value(key);
    return value.isDouble() ? std::optional(value.toDouble()) : std::nullopt;
}

std::optional<ExtraUsage> extraUsageOf(const QJsonObject& object) {
    if (!object.contains(u"extra_usage"))
        return std::nullopt;
    const QJsonObject extra = object.value(u"extra_usage").toObject();
    const QJsonValue enabled = extra.value(u"is_enabled");
    return ExtraUsage{enabled.isBool() && enabled.toBool(), numberOf(extra, u"used_credits"),
                      numberOf(extra, u"monthly_limit")};
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
    return UsageResponse{periodOf(top, u"five_hour"), periodOf(top, u"seven_day"),
                         periodOf(top, u"seven_day_sonnet"), extraUsageOf(top)};
}
