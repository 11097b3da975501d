#include "Services/AudioDeviceService.h"

#include "Foundation/L10n.h"

#include <cmath>

AudioInputService::AudioInputService(std::unique_ptr<IAudioSystem> system, IPreferences& preferences,
                                     QObject* parent)
    : QObject(parent)
    , m_system(std::move(system))
    , m_preferences(preferences) {
    const QVariant stored = m_preferences.value(lockedInputKey);
    if (stored.metaType().id() == QMetaType::QString)
        m_lockedUID = stored.toString();
}

void AudioInputService::start() {
    m_system->start();
    refresh();
    if (!m_listening) {
        m_listening = true;
        connect(m_system.get(), &IAudioSystem::defaultInputChanged, this,
                &AudioInputService::handleDefaultInputChanged);
        connect(m_system.get(), &IAudioSystem::devicesChanged, this, &AudioInputService::refresh);
        connect(m_system.get(), &IAudioSystem::defaultOutputChanged, this, &AudioInputService::refresh);
    }
    enforceLock();
}

void AudioInputService::stop() {
    m_listening = false;
    disconnect(m_system.get(), nullptr, this, nullptr);
}

void AudioInputService::selectInput(const AudioDeviceInfo& device) {
    m_system->setDefaultInput(device.id);
    if (m_lockedUID)
        setLockedUID(device.uid);
    refresh();
}

void AudioInputService::selectOutput(const AudioDeviceInfo& device) {
    m_system->setDefaultOutput(device.id);
    refresh();
}

void AudioInputService::toggleLock() {
    setLockedUID(m_lockedUID ? std::nullopt : m_currentInputUID);
    enforceLock();
    refresh();
}

void AudioInputService::handleDefaultInputChanged() {
    enforceLock();
    refresh();
}

void AudioInputService::refresh() {
    const auto inputs = devices(true);
    const auto outputs = devices(false);
    if (inputs != m_inputs || outputs != m_outputs) {
        m_inputs = inputs;
        m_outputs = outputs;
        Q_EMIT devicesChanged();
    }
    const auto output = record(m_system->defaultOutput());
    const auto inputUID = currentDefaultInputUID();
    const auto outputUID = output ? std::optional(infoOf(*output).uid) : std::nullopt;
    if (inputUID != m_currentInputUID || outputUID != m_currentOutputUID) {
        m_currentInputUID = inputUID;
        m_currentOutputUID = outputUID;
        Q_EMIT currentDevicesChanged();
    }
    const double rate = output && std::isfinite(output->sampleRate) ? output->sampleRate : 0;
    const int channels = output ? output->outputChannels : 0;
    const QString name = output ? infoOf(*output).name : QStringLiteral("—");
    const QString detail = formatDetail(rate, channels);
    const bool phoneMode = isPhoneMode(rate, channels);
    if (name != m_outputName || detail != m_outputDetail || phoneMode != m_outputIsPhoneMode) {
        m_outputName = name;
        m_outputDetail = detail;
        m_outputIsPhoneMode = phoneMode;
        Q_EMIT outputChanged();
    }
}

void AudioInputService::enforceLock() {
    if (!m_lockedUID || currentDefaultInputUID() == m_lockedUID)
        return;
    for (const AudioDeviceInfo& device : devices(true)) {
        if (device.uid == *m_lockedUID) {
            m_system->setDefaultInput(device.id);
            return;
        }
    }
}

// Every assignment is written, also one that keeps the value.
void AudioInputService::setLockedUID(std::optional<QString> uid) {
    const bool changed = uid != m_lockedUID;
    m_lockedUID = std::move(uid);
    if (m_lockedUID)
        m_preferences.setValue(lockedInputKey, *m_lockedUID);
    else
        m_preferences.remove(lockedInputKey);
    if (changed)
        Q_EMIT lockedUIDChanged();
}

QList<AudioDeviceInfo> AudioInputService::devices(bool inputs) const {
    QList<AudioDeviceInfo> result;
    for (const AudioDeviceRecord& record : m_system->devices()) {
        if ((inputs ? record.inputChannels : record.outputChannels) > 0)
            result.append(infoOf(record));
    }
    return result;
}

std::optional<AudioDeviceRecord> AudioInputService::record(std::optional<std::uint32_t> id) const {
    if (!id || *id == 0)
        return std::nullopt;
    for (const AudioDeviceRecord& record : m_system->devices()) {
        if (record.id == *id)
            return record;
    }
    return AudioDeviceRecord{*id, {}, {}, 0, 0, 0, 0};
}

std::optional<QString> AudioInputService::currentDefaultInputUID() const {
    const auto input = record(m_system->defaultInput());
    return input ? std::optional(infoOf(*input).uid) : std::nullopt;
}

AudioDeviceInfo AudioInputService::infoOf(const AudioDeviceRecord& record) {
    AudioDeviceInfo info{record.id, record.uid, record.name, record.transport};
    if (info.uid.isEmpty())
        info.uid = QStringLiteral("id:") + QString::number(record.id);
    if (info.name.isEmpty())
        info.name = L10n::formatted(
            "audio.dispositivo.sem_nome", "Dispositivo %lld",
            "Nome de fallback quando o CoreAudio não devolve nome; %lld é o ID do dispositivo",
            {qlonglong(record.id)});
    return info;
}

bool AudioInputService::isPhoneMode(double rate, int channels) {
    return std::isfinite(rate) && rate > 0 && (rate <= 24000 || channels < 2);
}

QString AudioInputService::formatDetail(double rate, int channels) {
    if (!std::isfinite(rate) || rate <= 0)
        return {};
    const qlonglong kHz = qlonglong(std::min(rate, 1e12) / 1000);
    if (channels > 1)
        return L10n::formatted("audio.formato.estereo", "estéreo %lld kHz",
                               "Detalhe da saída em estéreo; %lld é a taxa de amostragem em kHz", {kHz});
    return L10n::formatted("audio.formato.mono", "mono %lld kHz",
                           "Detalhe da saída em mono; %lld é a taxa de amostragem em kHz", {kHz});
}
