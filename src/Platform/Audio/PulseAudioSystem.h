#pragma once

#include "Foundation/DegradedReporter.h"
#include "Platform/Audio/IAudioSystem.h"
#include "Platform/Audio/SocketWatch.h"

#include <QElapsedTimer>
#include <QHash>
#include <QTimer>

struct pa_context;
struct pa_glib_mainloop;

// The sound server (PulseAudio, or PipeWire through its PulseAudio interface) on the GUI thread's GLib
// loop. Sinks are outputs; sources are inputs, except the monitors of sinks. Server events come in bursts
// (a profile switch removes and adds devices), so they are gathered for a short while into one
// enumeration. While the server is away (missing at start, or gone since) there are no devices and no
// defaults, one degraded-feature line tells why, and the connection is tried again with a growing pause;
// meanwhile a watch on the server's socket tries at once when a server creates it. Once it is back, one
// line tells so and the devices return with the ids they had.
class PulseAudioSystem final : public IAudioSystem {
    Q_OBJECT
public:
    static constexpr int coalesceMs = 50;
    static constexpr int firstRetryMs = 500;
    static constexpr int longestRetryMs = 30000;

    explicit PulseAudioSystem(DegradedReporter reportDegraded, RestoredReporter reportRestored = {},
                              QObject* parent = nullptr);
    ~PulseAudioSystem() override;

    void start() override;
    QList<AudioDeviceRecord> devices() const override { return m_devices; }
    std::optional<std::uint32_t> defaultInput() const override {
        return idOf(QStringLiteral("source:"), m_defaultSource);
    }
    std::optional<std::uint32_t> defaultOutput() const override {
        return idOf(QStringLiteral("sink:"), m_defaultSink);
    }
    void setDefaultInput(std::uint32_t id) override;
    void setDefaultOutput(std::uint32_t id) override;

    // Enumerations run since start, for tests and the benchmark.
    int enumerationCount() const { return m_enumerations; }
    bool isConnected() const { return m_ready; }

    // The socket the client library connects to: the first local entry of PULSE_SERVER when that is set,
    // else "native" in the runtime folder. Empty when the server is not reached through a local socket.
    static QString serverSocketPath(const QString& pulseServer, const QString& runtimePath,
                                    const QString& xdgRuntimeDir);

private:
    struct Enumeration;

    void connectToServer();
    void dropContext();
    void handleState();
    void forgetServer();
    void publish(const QList<AudioDeviceRecord>& devices, const QString& defaultSink,
                 const QString& defaultSource);
    void reportAway(bool wasConnected);
    void reportBack();
    void scheduleRetry();
    void handleSocketCreated();
    void handleServerEvent();
    void enumerate();
    void finishEnumeration();
    std::uint32_t stableId(const QString& key);
    std::optional<std::uint32_t> idOf(const QString& kind, const QString& name) const;
    QString nameOf(std::uint32_t id, const QString& kind) const;

    static void stateCallback(pa_context* context, void* self);

    DegradedReporter m_reportDegraded;
    RestoredReporter m_reportRestored;
    pa_glib_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    bool m_started = false;
    bool m_ready = false;
    bool m_away = false; // told for the current absence of the server
    int m_retryMs = firstRetryMs;
    QTimer m_retryTimer;
    SocketWatch m_socketWatch;
    QTimer m_coalesceTimer;
    QElapsedTimer m_firstEvent;
    Enumeration* m_enumeration = nullptr;
    bool m_enumerateAgain = false;
    int m_enumerations = 0;
    QHash<QString, std::uint32_t> m_ids;
    std::uint32_t m_nextId = 1;
    QList<AudioDeviceRecord> m_devices;
    QString m_defaultSink;
    QString m_defaultSource;
};
