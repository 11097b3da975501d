#pragma once

#include "Platform/Logind/IInhibitor.h"

#include <QList>
#include <QPointer>

// Holds each request until the test answers it; counts the locks alive.
class FakeInhibitor final : public IInhibitor {
public:
    struct Lock final : HeldInhibitor {
        explicit Lock(int& count)
            : alive(++count) {}
        ~Lock() override { --alive; }
        int& alive;
    };

    void acquire(QObject* context, Done done) override { pending.append({context, std::move(done)}); }
    void answer(bool grant) { // the oldest request: a lock, or a refusal
        auto [context, done] = pending.takeFirst();
        if (context)
            done(grant ? std::make_unique<Lock>(alive) : nullptr);
    }

    QList<std::pair<QPointer<QObject>, Done>> pending;
    int alive = 0;
};
