#pragma once

#include <functional>
#include <utility>

// The keyboard-cleaning lock: a full-screen window that swallows every key until the user unlocks it, then
// calls back. This version locks nothing: it only keeps the callback until hide() or an unlock.
class KeyboardCleanerWindow {
public:
    static void show(std::function<void()> onUnlock) { pending() = std::move(onUnlock); }
    static void hide() { pending() = nullptr; }

private:
    static std::function<void()>& pending() {
        static std::function<void()> callback;
        return callback;
    }
};
