#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

// One device of the sound server, as last enumerated.
struct AudioDeviceRecord {
    std::uint32_t id = 0; // stable for the device's name while the process runs
    QString uid;          // the server's name for the device; empty when it has none
    QString name;         // the human-readable description; empty when it has none
    std::uint32_t transport = 0;
    int inputChannels = 0;
    int outputChannels = 0;
    double sampleRate = 0; // Hz, 0 when unknown

    bool operator==(const AudioDeviceRecord&) const = default;
};

// The sound server's devices and its default input and output. Reads give the last enumeration at once;
// writes go out asynchronously and their effect arrives as change signals.
class IAudioSystem : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Connects (once; later calls do nothing). The first enumeration arrives as change signals.
    virtual void start() = 0;
    virtual QList<AudioDeviceRecord> devices() const = 0;
    virtual std::optional<std::uint32_t> defaultInput() const = 0;
    virtual std::optional<std::uint32_t> defaultOutput() const = 0;
    virtual void setDefaultInput(std::uint32_t id) = 0;
    virtual void setDefaultOutput(std::uint32_t id) = 0;

Q_SIGNALS:
    void devicesChanged();
    void defaultInputChanged();
    void defaultOutputChanged();
};
