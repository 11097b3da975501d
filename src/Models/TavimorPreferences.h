#pragma once

#include "Models/ReminderPlacement.h"

#include <QString>
#include <QVariant>

class IPreferences;

// Typed readers of the reminder and break preferences. Every call reads the store afresh; nothing is cached
// and nothing is clamped (ReminderSchedule bounds the reminder and break integers).
namespace TavimorPreferences {

// The stored value as an integer: numbers truncate toward zero (saturating; NaN and infinities give 0),
// bools give 0 or 1, text is read like a number typed by hand ("  -12abc" gives -12, "abc" gives 0), any
// other kind gives 0. An absent key gives the caller's default.
qint64 intValue(const IPreferences& preferences, const QString& key, qint64 defaultValue);

// The integer reading of one stored value, as intValue() does for a present key.
qint64 integerReading(const QVariant& stored);

ReminderPosition blinkPosition(const IPreferences& preferences);   // "tavimor.blinkPosition", else top
ReminderSize blinkSize(const IPreferences& preferences);           // "tavimor.blinkSize", else small
ReminderPosition posturePosition(const IPreferences& preferences); // "tavimor.posturePosition", else top
ReminderSize postureSize(const IPreferences& preferences);         // "tavimor.postureSize", else small

} // namespace TavimorPreferences
