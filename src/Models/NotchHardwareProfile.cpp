#include "Models/NotchHardwareProfile.h"

#include "Platform/Hardware/MacHardware.h"

NotchHardwareProfile NotchHardwareProfile::current() {
    return forModel(MacHardware::modelIdentifier());
}

NotchHardwareProfile NotchHardwareProfile::forModel(const QString& modelIdentifier) {
    NotchHardwareProfile profile;
    profile.modelName = MacHardware::displayName(modelIdentifier);
    profile.musicSideWidth = modelIdentifier == QLatin1String("Mac17,3") ? 34 : 32;
    return profile;
}
