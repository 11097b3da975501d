#pragma once

#include <QtGlobal>

class IPreferences;

namespace ReminderSchedule {

// One stored integer of the reminders and breaks: its key, the value when it is absent, and the range the
// services run in and the settings window offers. Whatever was stored by hand, a value outside the range is
// cut to its edge, so what every view shows is what runs.
struct Setting {
    const char* key;
    int defaultValue;
    int minimum;
    int maximum;
};

// Minutes between two reminders or from one break to the next: at least one, at most four hours.
inline constexpr Setting blinkIntervalMin{"tavimor.blinkIntervalMin", 5, 1, 240};
inline constexpr Setting postureIntervalMin{"tavimor.postureIntervalMin", 30, 1, 240};
inline constexpr Setting breakWorkIntervalMin{"tavimor.breakWorkIntervalMin", 20, 1, 240};
// The length of a break: at most a quarter of an hour, so a strict break never covers the screens longer.
inline constexpr Setting breakDurationSec{"tavimor.breakDurationSec", 20, 5, 900};
// Postponements allowed per break.
inline constexpr Setting breakSnoozes{"tavimor.breakSnoozes", 4, 0, 10};

// The stored value within the setting's range, or its default when absent: the one reading of these keys.
int value(const IPreferences& preferences, const Setting& setting);

} // namespace ReminderSchedule
