#pragma once

#include "Foundation/Clock.h"

#include <QDateTime>

#include <functional>

// Runs a task once at a moment of the wall clock. The scheduler counts on the monotonic clock, which the wall
// clock may trail by a little: a fire that comes before the moment waits for the rest instead of a whole
// period, so the task runs within milliseconds of its moment.
class DueTimer {
public:
    DueTimer(IScheduler& scheduler, const IClock& clock, QObject* context, std::function<void()> task);
    ~DueTimer();
    DueTimer(const DueTimer&) = delete;
    DueTimer& operator=(const DueTimer&) = delete;

    // Replaces the moment armed before, if any.
    void arm(const QDateTime& when);
    void cancel();
    bool isArmed() const { return m_handle != IScheduler::invalidHandle; }

private:
    void fire();

    IScheduler& m_scheduler;
    const IClock& m_clock;
    QObject* m_context;
    std::function<void()> m_task;
    QDateTime m_when;
    IScheduler::Handle m_handle = IScheduler::invalidHandle;
};
