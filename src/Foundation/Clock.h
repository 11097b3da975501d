#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimeZone>

#include <cstdint>
#include <functional>
#include <memory>

// Wall-clock time, injectable so that tests drive time instead of sleeping.
class IClock {
public:
    virtual ~IClock() = default;
    virtual QDateTime now() const = 0; // UTC
    virtual QTimeZone localZone() const = 0;
};

class SystemClock final : public IClock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
    QTimeZone localZone() const override { return QTimeZone::systemTimeZone(); }
};

// One-shot delayed work on the main loop. A task is dropped when its context object is destroyed,
// so closures never outlive the object they capture.
class IScheduler {
public:
    using Handle = std::uint64_t;
    static constexpr Handle invalidHandle = 0;

    virtual ~IScheduler() = default;
    virtual Handle after(int delayMs, QObject* context, std::function<void()> task) = 0;
    virtual void cancel(Handle handle) = 0;
};

class QtScheduler final : public IScheduler {
public:
    QtScheduler();
    ~QtScheduler() override;
    Handle after(int delayMs, QObject* context, std::function<void()> task) override;
    void cancel(Handle handle) override;

private:
    struct Pending;
    std::unique_ptr<Pending> pending;
    Handle nextHandle = 1;
};
