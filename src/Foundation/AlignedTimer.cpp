#include "Foundation/AlignedTimer.h"

#include <chrono>

namespace {

std::int64_t monotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool isWholeSeconds(int intervalMs) {
    return intervalMs >= 1000 && intervalMs % 1000 == 0;
}

} // namespace

AlignedTimer::AlignedTimer(QObject* parent)
    : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        arm(false);
        Q_EMIT timeout();
    });
}

void AlignedTimer::start() {
    // Qt keeps a very coarse timer's deadline on a whole second, so that the deadlines of aligned timers are
    // equal to the nanosecond and come due in one pass of the event loop.
    m_timer.setTimerType(isWholeSeconds(m_intervalMs) ? Qt::VeryCoarseTimer : Qt::PreciseTimer);
    arm(true);
}

std::int64_t AlignedTimer::delayToNextTick(std::int64_t monotonicMs, int intervalMs, bool first) {
    if (intervalMs <= 0)
        return 0;
    std::int64_t delay = intervalMs - monotonicMs % intervalMs;
    if (first && 2 * delay < intervalMs)
        delay += intervalMs;
    return delay;
}

void AlignedTimer::arm(bool first) {
    m_timer.start(int(delayToNextTick(monotonicMs(), m_intervalMs, first)));
}
