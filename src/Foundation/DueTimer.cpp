#include "Foundation/DueTimer.h"

#include <algorithm>
#include <limits>

DueTimer::DueTimer(IScheduler& scheduler, const IClock& clock, QObject* context, std::function<void()> task)
    : m_scheduler(scheduler)
    , m_clock(clock)
    , m_context(context)
    , m_task(std::move(task)) {}

DueTimer::~DueTimer() {
    cancel();
}

void DueTimer::arm(const QDateTime& when) {
    cancel();
    m_when = when;
    const qint64 wait = std::clamp<qint64>(m_clock.now().msecsTo(when), 0, std::numeric_limits<int>::max());
    m_handle = m_scheduler.after(int(wait), m_context, [this] { fire(); });
}

void DueTimer::cancel() {
    m_scheduler.cancel(m_handle);
    m_handle = IScheduler::invalidHandle;
}

void DueTimer::fire() {
    m_handle = IScheduler::invalidHandle;
    if (m_clock.now() < m_when) {
        arm(m_when);
        return;
    }
    m_task();
}
