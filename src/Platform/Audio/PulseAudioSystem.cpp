#include "Platform/Audio/PulseAudioSystem.h"

#include "Platform/Audio/AudioTransport.h"

#include <QElapsedTimer>

#include <pulse/context.h>
#include <pulse/glib-mainloop.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <algorithm>

namespace {

// A stream of events is gathered for at most this long before an enumeration runs anyway.
constexpr int longestGatherMs = 250;

std::uint32_t transportOf(pa_proplist* properties) {
    const auto value = [&](const char* key) { return QString::fromUtf8(pa_proplist_gets(properties, key)); };
    const QString bus = value("device.bus");
    if (bus == QLatin1String("usb"))
        return AudioTransport::usb;
    if (bus == QLatin1String("bluetooth"))
        return AudioTransport::bluetooth;
    if (bus == QLatin1String("pci") || value("device.form_factor") == QLatin1String("internal"))
        return AudioTransport::builtIn;
    if (bus.isEmpty() && value("device.api").isEmpty())
        return AudioTransport::virtualDevice;
    return 0;
}

} // namespace

// One enumeration in progress: server defaults, sinks and sources, committed together.
struct PulseAudioSystem::Enumeration {
    int pending = 3;
    QString defaultSink;
    QString defaultSource;
    QList<AudioDeviceRecord> sinks;
    QList<AudioDeviceRecord> sources;
};

PulseAudioSystem::PulseAudioSystem(DegradedReporter reportDegraded, RestoredReporter reportRestored,
                                   QObject* parent)
    : IAudioSystem(parent)
    , m_reportDegraded(std::move(reportDegraded))
    , m_reportRestored(std::move(reportRestored)) {
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &PulseAudioSystem::connectToServer);
    connect(&m_socketWatch, &SocketWatch::socketCreated, this, &PulseAudioSystem::handleSocketCreated);
    m_coalesceTimer.setSingleShot(true);
    connect(&m_coalesceTimer, &QTimer::timeout, this, &PulseAudioSystem::enumerate);
}

PulseAudioSystem::~PulseAudioSystem() {
    dropContext();
    if (m_mainloop)
        pa_glib_mainloop_free(m_mainloop);
}

void PulseAudioSystem::start() {
    if (m_started)
        return;
    m_started = true;
    m_mainloop = pa_glib_mainloop_new(nullptr);
    connectToServer();
}

void PulseAudioSystem::connectToServer() {
    dropContext();
    m_context = pa_context_new(pa_glib_mainloop_get_api(m_mainloop), "Tavimor");
    pa_context_set_state_callback(m_context, &PulseAudioSystem::stateCallback, this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        QMetaObject::invokeMethod(this, &PulseAudioSystem::handleState, Qt::QueuedConnection);
}

void PulseAudioSystem::dropContext() {
    delete std::exchange(m_enumeration, nullptr);
    m_enumerateAgain = false;
    m_ready = false;
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(std::exchange(m_context, nullptr));
}

void PulseAudioSystem::stateCallback(pa_context*, void* self) {
    // The context may not be released inside its own callback.
    QMetaObject::invokeMethod(static_cast<PulseAudioSystem*>(self), &PulseAudioSystem::handleState,
                              Qt::QueuedConnection);
}

void PulseAudioSystem::handleState() {
    const pa_context_state_t state = m_context ? pa_context_get_state(m_context) : PA_CONTEXT_FAILED;
    // A failed connect may be reported twice (its return value and the state callback): handle it once.
    const bool failureHandled = !m_context && m_retryTimer.isActive();
    if (state == PA_CONTEXT_READY && !m_ready) {
        m_ready = true;
        m_retryMs = firstRetryMs;
        m_socketWatch.stop();
        reportBack();
        const auto onEvent = [](pa_context*, pa_subscription_event_type_t, std::uint32_t, void* self) {
            static_cast<PulseAudioSystem*>(self)->handleServerEvent();
        };
        pa_context_set_subscribe_callback(m_context, onEvent, this);
        const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE |
                                                 PA_SUBSCRIPTION_MASK_SERVER);
        if (pa_operation* op = pa_context_subscribe(m_context, mask, nullptr, nullptr))
            pa_operation_unref(op);
        enumerate();
    } else if ((state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) && !failureHandled) {
        const bool wasConnected = m_ready;
        dropContext();
        forgetServer();
        reportAway(wasConnected);
        scheduleRetry();
        m_socketWatch.watch(serverSocketPath(qEnvironmentVariable("PULSE_SERVER"),
                                             qEnvironmentVariable("PULSE_RUNTIME_PATH"),
                                             qEnvironmentVariable("XDG_RUNTIME_DIR")));
    }
}

// Once for each absence of the server, however many attempts fail meanwhile.
void PulseAudioSystem::reportAway(bool wasConnected) {
    if (std::exchange(m_away, true) || !m_reportDegraded)
        return;
    m_reportDegraded(
        QStringLiteral("PulseAudio"),
        wasConnected ? QStringLiteral("o servidor de som (PulseAudio ou PipeWire) saiu do ar")
                     : QStringLiteral("sem servidor de som (PulseAudio ou PipeWire) na sessão"),
        QStringLiteral("a aba de áudio fica vazia e a trava do microfone não age até ele voltar"));
}

void PulseAudioSystem::reportBack() {
    if (std::exchange(m_away, false) && m_reportRestored)
        m_reportRestored(QStringLiteral("PulseAudio"),
                         QStringLiteral("o servidor de som (PulseAudio ou PipeWire) voltou"));
}

// The devices and defaults of a server that is gone are none: nothing is shown that cannot be chosen.
void PulseAudioSystem::forgetServer() {
    publish({}, {}, {});
}

// Takes what the server lists, telling only of what changed.
void PulseAudioSystem::publish(const QList<AudioDeviceRecord>& devices, const QString& defaultSink,
                               const QString& defaultSource) {
    const bool devicesMoved = devices != m_devices;
    const bool outputMoved = defaultSink != m_defaultSink;
    const bool inputMoved = defaultSource != m_defaultSource;
    m_devices = devices;
    m_defaultSink = defaultSink;
    m_defaultSource = defaultSource;
    if (devicesMoved)
        Q_EMIT devicesChanged();
    if (outputMoved)
        Q_EMIT defaultOutputChanged();
    if (inputMoved)
        Q_EMIT defaultInputChanged();
}

void PulseAudioSystem::scheduleRetry() {
    m_retryTimer.start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, longestRetryMs);
}

// A server has just created its socket: try at once, unless a try is under way; should that one fail
// (it began before the server listened), the next comes after the shortest pause.
void PulseAudioSystem::handleSocketCreated() {
    m_retryMs = firstRetryMs;
    if (m_context)
        return;
    m_retryTimer.stop();
    connectToServer();
}

// Events are gathered for coalesceMs after the last one (at most longestGatherMs after the first).
void PulseAudioSystem::handleServerEvent() {
    if (!m_coalesceTimer.isActive())
        m_firstEvent.start();
    if (!m_coalesceTimer.isActive() || m_firstEvent.elapsed() < longestGatherMs)
        m_coalesceTimer.start(coalesceMs);
}

void PulseAudioSystem::enumerate() {
    if (!m_ready)
        return;
    if (m_enumeration) {
        m_enumerateAgain = true;
        return;
    }
    ++m_enumerations;
    m_enumeration = new Enumeration;
    const auto serverDone = [](pa_context*, const pa_server_info* info, void* userdata) {
        auto* self = static_cast<PulseAudioSystem*>(userdata);
        if (info && self->m_enumeration) {
            self->m_enumeration->defaultSink = QString::fromUtf8(info->default_sink_name);
            self->m_enumeration->defaultSource = QString::fromUtf8(info->default_source_name);
        }
        self->finishEnumeration();
    };
    const auto sink = [](pa_context*, const pa_sink_info* info, int eol, void* userdata) {
        auto* self = static_cast<PulseAudioSystem*>(userdata);
        if (eol != 0 || !info) {
            self->finishEnumeration();
            return;
        }
        if (!self->m_enumeration)
            return;
        const QString name = QString::fromUtf8(info->name);
        self->m_enumeration->sinks.append({self->stableId(QStringLiteral("sink:") + name), name,
                                           QString::fromUtf8(info->description), transportOf(info->proplist),
                                           0, info->sample_spec.channels, double(info->sample_spec.rate)});
    };
    const auto source = [](pa_context*, const pa_source_info* info, int eol, void* userdata) {
        auto* self = static_cast<PulseAudioSystem*>(userdata);
        if (eol != 0 || !info) {
            self->finishEnumeration();
            return;
        }
        if (!self->m_enumeration || info->monitor_of_sink != PA_INVALID_INDEX)
            return;
        const QString name = QString::fromUtf8(info->name);
        self->m_enumeration->sources.append(
            {self->stableId(QStringLiteral("source:") + name), name, QString::fromUtf8(info->description),
             transportOf(info->proplist), info->sample_spec.channels, 0, double(info->sample_spec.rate)});
    };
    for (pa_operation* op : {pa_context_get_server_info(m_context, serverDone, this),
                             pa_context_get_sink_info_list(m_context, sink, this),
                             pa_context_get_source_info_list(m_context, source, this)}) {
        if (op)
            pa_operation_unref(op);
        else
            finishEnumeration();
    }
}

void PulseAudioSystem::finishEnumeration() {
    if (!m_enumeration || --m_enumeration->pending > 0)
        return;
    const std::unique_ptr<Enumeration> done(std::exchange(m_enumeration, nullptr));
    publish(done->sinks + done->sources, done->defaultSink, done->defaultSource);
    if (std::exchange(m_enumerateAgain, false))
        enumerate();
}

void PulseAudioSystem::setDefaultInput(std::uint32_t id) {
    const QString name = nameOf(id, QStringLiteral("source:"));
    if (!m_ready || name.isEmpty())
        return;
    if (pa_operation* op =
            pa_context_set_default_source(m_context, name.toUtf8().constData(), nullptr, nullptr))
        pa_operation_unref(op);
}

void PulseAudioSystem::setDefaultOutput(std::uint32_t id) {
    const QString name = nameOf(id, QStringLiteral("sink:"));
    if (!m_ready || name.isEmpty())
        return;
    if (pa_operation* op =
            pa_context_set_default_sink(m_context, name.toUtf8().constData(), nullptr, nullptr))
        pa_operation_unref(op);
}

QString PulseAudioSystem::serverSocketPath(const QString& pulseServer, const QString& runtimePath,
                                           const QString& xdgRuntimeDir) {
    if (!pulseServer.trimmed().isEmpty()) {
        for (QString server : pulseServer.simplified().split(u' ')) {
            if (server.startsWith(u'{')) // "{machine id}address": which machine it serves is not asked here
                server = server.mid(server.indexOf(u'}') + 1);
            if (server.startsWith(QLatin1String("unix:")))
                server = server.mid(5);
            if (server.startsWith(u'/'))
                return server;
        }
        return {};
    }
    if (!runtimePath.isEmpty())
        return runtimePath + QStringLiteral("/native");
    if (!xdgRuntimeDir.isEmpty())
        return xdgRuntimeDir + QStringLiteral("/pulse/native");
    return {};
}

std::uint32_t PulseAudioSystem::stableId(const QString& key) {
    auto it = m_ids.find(key);
    if (it == m_ids.end())
        it = m_ids.insert(key, m_nextId++);
    return *it;
}

std::optional<std::uint32_t> PulseAudioSystem::idOf(const QString& kind, const QString& name) const {
    const auto it = m_ids.find(kind + name);
    if (name.isEmpty() || it == m_ids.end())
        return std::nullopt;
    return *it;
}

QString PulseAudioSystem::nameOf(std::uint32_t id, const QString& kind) const {
    for (auto it = m_ids.begin(); it != m_ids.end(); ++it) {
        if (*it == id && it.key().startsWith(kind))
            return it.key().mid(kind.size());
    }
    return {};
}
