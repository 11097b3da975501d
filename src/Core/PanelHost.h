#pragma once

// What the application delegate drives of the notch panel: building it on the notch screen (again after a
// screen change), and the hover and drag monitors and the pending delayed close that go with it.
class IPanelHost {
public:
    virtual ~IPanelHost() = default;

    // Orders any old panel out, builds the panel on the current notch screen, shows it and starts monitors.
    virtual void setupPanel() = 0;
    virtual void stopHoverMonitor() = 0;
    virtual void stopDragMonitor() = 0;
    // Cancels the pending delayed close, if any.
    virtual void cancelPendingClose() = 0;
};
