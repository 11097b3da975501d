#pragma once

#include "Services/SettingsSection.h"

#include <QList>

namespace SettingsSections {

// The sections of the settings window, in sidebar order.
QList<SettingsSection> all();

} // namespace SettingsSections
