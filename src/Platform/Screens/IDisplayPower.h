#pragma once

// Whether the display's power saving has switched the screens off. Power saving sends no event, so it is
// asked when needed.
class IDisplayPower {
public:
    virtual ~IDisplayPower() = default;
    virtual bool screensOff() const = 0;
};
