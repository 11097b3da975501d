#pragma once

#include <QtGlobal>

#include <algorithm>

namespace ReminderSchedule {

// The ranges the reminder services run in and the settings window offers: whatever was stored, a value
// outside them is cut to their edge, so what the window shows is what runs.
// Minutes between two reminders (blink, posture) or from one break to the next.
inline constexpr int minIntervalMin = 1;
inline constexpr int maxIntervalMin = 240;
// The length of a break: at most a quarter of an hour, so a strict break never covers the screens longer.
inline constexpr int minBreakDurationSec = 5;
inline constexpr int maxBreakDurationSec = 900;
// Postponements allowed per break.
inline constexpr int minBreakSnoozes = 0;
inline constexpr int maxBreakSnoozes = 10;

// Stored minutes as seconds within the interval range, whatever was stored (negative, zero or too large).
inline qint64 intervalSeconds(qint64 minutes) {
    return std::clamp<qint64>(minutes, minIntervalMin, maxIntervalMin) * 60;
}

inline qint64 breakDurationSeconds(qint64 seconds) {
    return std::clamp<qint64>(seconds, minBreakDurationSec, maxBreakDurationSec);
}

inline qint64 breakSnoozes(qint64 count) {
    return std::clamp<qint64>(count, minBreakSnoozes, maxBreakSnoozes);
}

} // namespace ReminderSchedule
