#pragma once

#include "Platform/Screens/IDisplayPower.h"

// The X server's DPMS state: the screens are off in standby, suspend or off while DPMS is enabled. Without
// X11 or the DPMS extension, they count as on.
class X11DisplayPower final : public IDisplayPower {
public:
    bool screensOff() const override;
};
