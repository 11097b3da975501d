#pragma once

#include <Qt>

#include <functional>

// A monitor of the key presses delivered to this application's own windows (not a global hotkey). The handler
// sees each press before the focused item does; returning true consumes the press.
class IKeyMonitor {
public:
    using Handler = std::function<bool(int key, Qt::KeyboardModifiers modifiers)>;

    virtual ~IKeyMonitor() = default;
    virtual void setHandler(Handler handler) = 0;
    virtual void clearHandler() = 0;
};
