#pragma once

#include <QtGlobal>

#include <algorithm>

namespace ReminderSchedule {

// The longest interval any reminder waits: far enough for every real setting, near enough that the
// scheduled date always stays a valid date.
inline constexpr qint64 maxIntervalSec = 10LL * 366 * 24 * 3600;

// The longest break: the settings window offers no more, and a longer stored value is cut to it.
inline constexpr qint64 maxBreakDurationSec = 900;

// Stored minutes as seconds, at least one minute and at most maxIntervalSec, whatever was stored
// (negative, zero or too large to multiply).
inline qint64 intervalSeconds(qint64 minutes) {
    qint64 seconds = 0;
    if (__builtin_mul_overflow(minutes, qint64(60), &seconds))
        seconds = minutes < 0 ? 0 : maxIntervalSec;
    return std::clamp(seconds, qint64(60), maxIntervalSec);
}

} // namespace ReminderSchedule
