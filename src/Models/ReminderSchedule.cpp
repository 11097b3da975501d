#include "Models/ReminderSchedule.h"

#include "Models/TavimorPreferences.h"

#include <algorithm>

namespace ReminderSchedule {

int value(const IPreferences& preferences, const Setting& setting) {
    const qint64 stored =
        TavimorPreferences::intValue(preferences, QString::fromLatin1(setting.key), setting.defaultValue);
    return int(std::clamp<qint64>(stored, setting.minimum, setting.maximum));
}

} // namespace ReminderSchedule
