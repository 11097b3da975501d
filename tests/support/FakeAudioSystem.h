#pragma once

#include "Platform/Audio/IAudioSystem.h"

// A sound server the test arranges. Setting a default behaves as a server does: the default changes and
// its signal follows later, from the event loop. Input writes are recorded.
class FakeAudioSystem final : public IAudioSystem {
public:
    QList<AudioDeviceRecord> all;
    std::optional<std::uint32_t> input;
    std::optional<std::uint32_t> output;
    QList<std::uint32_t> inputWrites;

    void start() override {}
    QList<AudioDeviceRecord> devices() const override { return all; }
    std::optional<std::uint32_t> defaultInput() const override { return input; }
    std::optional<std::uint32_t> defaultOutput() const override { return output; }
    void setDefaultInput(std::uint32_t id) override {
        inputWrites.append(id);
        QMetaObject::invokeMethod(
            this, [this, id] { changeInput(id); }, Qt::QueuedConnection);
    }
    void setDefaultOutput(std::uint32_t id) override {
        QMetaObject::invokeMethod(
            this, [this, id] { output = id, Q_EMIT defaultOutputChanged(); }, Qt::QueuedConnection);
    }
    // Another program changes the default input.
    void changeInput(std::uint32_t id) {
        input = id;
        Q_EMIT defaultInputChanged();
    }
};
