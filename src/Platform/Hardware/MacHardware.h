#pragma once

#include <QString>

// Which machine the system runs on. The model identifier is the firmware's product name (DMI on PCs, the
// device-tree model on ARM boards), read once per process.
namespace MacHardware {

// "unknown" when no source can be read or every source is empty.
QString modelIdentifier();

// Reads the identifier below a root folder ("/" on the running system), without caching.
QString readModelIdentifier(const QString& rootPath);

// The machine's name as the user reads it: the model, else the host name.
QString displayName();
QString displayName(const QString& identifier);

} // namespace MacHardware
