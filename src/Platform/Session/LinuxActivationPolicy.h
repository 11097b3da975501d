#pragma once

#include "Platform/Session/IActivationPolicy.h"

// X11 has no application-wide policy: what keeps Tavimor off the taskbar is the type of each window. The
// notch panel is a dock window (_NET_WM_WINDOW_TYPE_DOCK), which pagers and taskbars skip, and the
// application has no other window until the user asks for the settings or the onboarding window, which are
// meant to be listed. Nothing is left to do here; the seam stays so that the start-up keeps its step.
class LinuxActivationPolicy final : public IActivationPolicy {
public:
    void becomeAccessory() override {}
};
