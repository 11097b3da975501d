#include "Foundation/Clock.h"

#include <QPointer>
#include <QTimer>

#include <unordered_map>

struct QtScheduler::Pending {
    QObject lifetime; // drops the bookkeeping connections when the scheduler goes
    std::unordered_map<Handle, QPointer<QTimer>> timers;
};

QtScheduler::QtScheduler()
    : pending(std::make_unique<Pending>()) {}

QtScheduler::~QtScheduler() {
    auto timers = std::move(pending->timers);
    pending->timers.clear();
    for (auto& [handle, timer] : timers)
        delete timer.data();
}

IScheduler::Handle QtScheduler::after(int delayMs, QObject* context, std::function<void()> task) {
    const Handle handle = nextHandle++;
    auto* timer = new QTimer(context);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [this, handle, timer, task = std::move(task)] {
        pending->timers.erase(handle);
        timer->deleteLater();
        task();
    });
    QObject::connect(timer, &QObject::destroyed, &pending->lifetime,
                     [this, handle] { pending->timers.erase(handle); });
    pending->timers.emplace(handle, timer);
    timer->start(delayMs);
    return handle;
}

void QtScheduler::cancel(Handle handle) {
    const auto found = pending->timers.find(handle);
    if (found != pending->timers.end())
        delete found->second.data(); // its destroyed() handler forgets the handle
}
