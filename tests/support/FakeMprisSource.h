#pragma once

#include "Platform/Mpris/IMprisSource.h"

#include <QStringList>

// Players set by the test; calls are recorded as "<bus> <method>" and wait for answerCalls(), volume writes
// wait for completeWrite(), volume reads are answered at once or, while holdVolumeReads, by
// answerVolumeReads().
class FakeMprisSource final : public IMprisSource {
public:
    QList<MprisPlayer> current;
    QStringList calls;
    QList<double> writes;
    std::optional<double> volumeAnswer;
    int refreshes = 0;
    int volumeReads = 0;
    bool holdVolumeReads = false;

    bool start() override { return true; }
    void stop() override {}
    void refresh() override {
        ++refreshes;
        Q_EMIT playersChanged();
    }
    QList<MprisPlayer> players() const override { return current; }
    void call(const QString& bus, const QString& method, QObject*, std::function<void(bool)> done) override {
        calls.append(bus + QLatin1Char(' ') + method);
        if (done)
            pendingCalls.append(std::move(done));
    }
    void readVolume(const QString&, QObject*, std::function<void(std::optional<double>)> done) override {
        ++volumeReads;
        if (holdVolumeReads)
            pendingReads.append(std::move(done));
        else
            done(volumeAnswer);
    }
    void writeVolume(const QString&, double volume, QObject*, std::function<void()> done) override {
        writes.append(volume);
        pendingWrite = std::move(done);
    }
    // The players answer every call sent so far; calls sent while answering wait for the next answer.
    void answerCalls(bool delivered) {
        for (const auto& answer : std::exchange(pendingCalls, {}))
            answer(delivered);
    }
    void answerVolumeReads() {
        for (const auto& answer : std::exchange(pendingReads, {}))
            answer(volumeAnswer);
    }
    void completeWrite() { std::exchange(pendingWrite, nullptr)(); }
    void setPlayers(QList<MprisPlayer> players) {
        current = std::move(players);
        Q_EMIT playersChanged();
    }

private:
    std::function<void()> pendingWrite;
    QList<std::function<void(bool)>> pendingCalls;
    QList<std::function<void(std::optional<double>)>> pendingReads;
};
