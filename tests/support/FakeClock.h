#pragma once

#include "Foundation/Clock.h"

#include <QList>
#include <QPointer>

#include <algorithm>

class FakeClock final : public IClock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC),
                       QTimeZone zone = QTimeZone::utc())
        : current(std::move(start))
        , zone(std::move(zone)) {}
    QDateTime now() const override { return current; }
    QTimeZone localZone() const override { return zone; }
    void advance(qint64 ms) { current = current.addMSecs(ms); }
    void set(const QDateTime& when) { current = when; }

private:
    QDateTime current;
    QTimeZone zone;
};

// Runs scheduled tasks only when a test advances it. Tasks due at the same time run in scheduling order.
class FakeScheduler final : public IScheduler {
public:
    explicit FakeScheduler(FakeClock* clock = nullptr)
        : clock(clock) {}

    Handle after(int delayMs, QObject* context, std::function<void()> task) override {
        const Handle handle = nextHandle++;
        tasks.append({handle, elapsed + delayMs, context, context != nullptr, std::move(task)});
        return handle;
    }

    void cancel(Handle handle) override {
        tasks.erase(
            std::remove_if(tasks.begin(), tasks.end(), [&](const Task& t) { return t.handle == handle; }),
            tasks.end());
    }

    // Moves time forward by ms, running every task that falls due on the way.
    void advance(qint64 ms) {
        const qint64 target = elapsed + ms;
        while (true) {
            auto next = std::min_element(tasks.begin(), tasks.end(), [](const Task& a, const Task& b) {
                return a.due < b.due || (a.due == b.due && a.handle < b.handle);
            });
            if (next == tasks.end() || next->due > target)
                break;
            Task task = *next;
            tasks.erase(next);
            moveTo(task.due);
            if (!task.hadContext || task.context)
                task.run();
        }
        moveTo(target);
    }

    qsizetype pendingCount() const { return tasks.size(); }
    qint64 elapsedMs() const { return elapsed; }

private:
    struct Task {
        Handle handle;
        qint64 due;
        QPointer<QObject> context;
        bool hadContext;
        std::function<void()> run;
    };

    void moveTo(qint64 when) {
        if (clock)
            clock->advance(when - elapsed);
        elapsed = when;
    }

    FakeClock* clock;
    QList<Task> tasks;
    qint64 elapsed = 0;
    Handle nextHandle = 1;
};
