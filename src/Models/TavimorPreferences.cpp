#include "Models/TavimorPreferences.h"

#include "Platform/Preferences/IPreferences.h"

#include <cmath>
#include <limits>

namespace {

constexpr qint64 int64Max = std::numeric_limits<qint64>::max();
constexpr qint64 int64Min = std::numeric_limits<qint64>::min();

qint64 truncatedDouble(double number) {
    if (!std::isfinite(number))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double limit = 9223372036854775808.0;
    if (number >= limit)
        return int64Max;
    if (number < -limit)
        return int64Min;
    return qint64(std::trunc(number));
}

bool isBlank(QChar c) {
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

qint64 parsedLeadingInteger(const QString& text) {
    qsizetype position = 0;
    while (position < text.size() && isBlank(text[position]))
        ++position;
    bool negative = false;
    if (position < text.size() &&
        (text[position] == QLatin1Char('-') || text[position] == QLatin1Char('+'))) {
        negative = text[position] == QLatin1Char('-');
        ++position;
    }
    qint64 value = 0; // accumulated negatively so that the minimum fits
    for (; position < text.size(); ++position) {
        const char16_t c = text[position].unicode();
        if (c < u'0' || c > u'9')
            break;
        const int digit = c - u'0';
        if (value < (int64Min + digit) / 10)
            return negative ? int64Min : int64Max;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == int64Min ? int64Max : -value;
}

QString storedText(const IPreferences& preferences, const char* key) {
    const QVariant stored = preferences.value(QString::fromLatin1(key));
    return stored.typeId() == QMetaType::QString ? stored.toString() : QString();
}

ReminderPosition positionAt(const IPreferences& preferences, const char* key) {
    return ReminderPlacement::positionFromRaw(storedText(preferences, key)).value_or(ReminderPosition::top);
}

ReminderSize sizeAt(const IPreferences& preferences, const char* key) {
    return ReminderPlacement::sizeFromRaw(storedText(preferences, key)).value_or(ReminderSize::small);
}

} // namespace

namespace TavimorPreferences {

qint64 integerReading(const QVariant& stored) {
    switch (stored.typeId()) {
    case QMetaType::Bool:
        return stored.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return stored.toLongLong();
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        return stored.toULongLong() > quint64(int64Max) ? int64Max : stored.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float:
        return truncatedDouble(stored.toDouble());
    case QMetaType::QString:
        return parsedLeadingInteger(stored.toString());
    default:
        return 0;
    }
}

qint64 intValue(const IPreferences& preferences, const QString& key, qint64 defaultValue) {
    if (!preferences.contains(key))
        return defaultValue;
    return integerReading(preferences.value(key));
}

ReminderPosition blinkPosition(const IPreferences& preferences) {
    return positionAt(preferences, "tavimor.blinkPosition");
}

ReminderSize blinkSize(const IPreferences& preferences) {
    return sizeAt(preferences, "tavimor.blinkSize");
}

ReminderPosition posturePosition(const IPreferences& preferences) {
    return positionAt(preferences, "tavimor.posturePosition");
}

ReminderSize postureSize(const IPreferences& preferences) {
    return sizeAt(preferences, "tavimor.postureSize");
}

} // namespace TavimorPreferences
