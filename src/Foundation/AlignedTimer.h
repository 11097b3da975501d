#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>

// A repeating timer whose ticks fall on whole multiples of its interval on the monotonic clock. Timers of
// whole seconds whose intervals divide one another (2 s, 30 s, 60 s...) then come due at the same instant and
// wake the process once between them, where timers started at different moments would each wake it on their
// own. The first tick comes at least half an interval after start(), so that it never follows the work a
// start does at once. A tick held up past the next multiple is not repeated: the timer goes on at the
// multiple after.
class AlignedTimer final : public QObject {
    Q_OBJECT

public:
    explicit AlignedTimer(QObject* parent = nullptr);

    void setInterval(int intervalMs) { m_intervalMs = intervalMs; }
    void start();
    void stop() { m_timer.stop(); }
    bool isActive() const { return m_timer.isActive(); }

    // The wait from a monotonic instant to the tick after it; a first tick also keeps half an interval away.
    static std::int64_t delayToNextTick(std::int64_t monotonicMs, int intervalMs, bool first);

Q_SIGNALS:
    void timeout();

private:
    void arm(bool first);

    QTimer m_timer;
    int m_intervalMs = 0;
};
