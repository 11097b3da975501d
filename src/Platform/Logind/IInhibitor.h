#pragma once

#include <QObject>

#include <functional>
#include <memory>

// A lock held against some kind of sleep or blanking; dropping it lets the lock go.
class HeldInhibitor {
public:
    virtual ~HeldInhibitor() = default;
};
using InhibitorLock = std::unique_ptr<HeldInhibitor>;

// Takes one kind of lock on request. The answer arrives on the main loop: the held lock, or null when the
// system refused or cannot be reached. No answer is delivered once `context` is gone.
class IInhibitor {
public:
    using Done = std::function<void(InhibitorLock)>;
    virtual ~IInhibitor() = default;
    virtual void acquire(QObject* context, Done done) = 0;
};
