#pragma once

// How the application presents itself to the desktop. Tavimor is an accessory application: no taskbar entry
// and no menu of its own, only the notch panel and the windows it opens on request.
class IActivationPolicy {
public:
    virtual ~IActivationPolicy() = default;
    virtual void becomeAccessory() = 0;
};
