#pragma once

#include <QObject>

// Tells when the session's displays go to sleep and when they wake. A source may report the same transition
// more than once, and sleeps and wakes from different origins may interleave; receivers must tolerate both.
class IScreenSleepSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Subscribes to the platform's notifications; stop() unsubscribes. Both may be called repeatedly.
    virtual void start() = 0;
    virtual void stop() = 0;

Q_SIGNALS:
    void screensDidSleep();
    void screensDidWake();
};
