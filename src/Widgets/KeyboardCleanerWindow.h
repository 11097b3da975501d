#pragma once

#include <functional>

class QObject;

// The keyboard-cleaning lock: a full-screen window over the primary screen that grabs the keyboard, so no
// key reaches any application while the user wipes it; the mouse stays free for the unlock button. Used only
// through its static members, on the main thread.
class KeyboardCleanerWindow {
public:
    // Ends a lock that is showing (calling its callback), then locks. `onUnlock` runs exactly once when the
    // lock ends: by the unlock button, by hide(), or at once when the keyboard cannot be grabbed or there is
    // no screen.
    static void show(std::function<void()> onUnlock);
    // Ends the lock and calls the stored callback; safe at any time, also from inside the callback.
    static void hide();
    static bool isLocked();
    // Calls `handler`, while `context` lives, each time the lock window leaves the screen: the windows
    // beneath it had no pointer events while it was up, though the pointer may have gone anywhere.
    static void whenWindowGone(QObject* context, std::function<void()> handler);

    KeyboardCleanerWindow() = delete;
};
