#pragma once

// A reminder that runs in the background for the life of the session, such as the posture and blink
// reminders. Both calls may be repeated.
class IReminderService {
public:
    virtual ~IReminderService() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
};
