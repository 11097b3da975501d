#pragma once

#include "Models/AudioModels.h"
#include "Platform/Audio/IAudioSystem.h"
#include "Platform/Preferences/IPreferences.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

// The audio inputs and outputs, the default of each, the default output's format and whether a headset
// has dropped into its phone mode, and the input lock: while it is set, a default input changed by anyone
// else is put back to the locked device (when that device is present). The lock is kept in the
// preferences under "tavimor.audio.lockedInputUID".
class AudioInputService : public QObject {
    Q_OBJECT
public:
    static inline const QString lockedInputKey = QStringLiteral("tavimor.audio.lockedInputUID");

    AudioInputService(std::unique_ptr<IAudioSystem> system, IPreferences& preferences,
                      QObject* parent = nullptr);

    const QList<AudioDeviceInfo>& inputs() const { return m_inputs; }
    const QList<AudioDeviceInfo>& outputs() const { return m_outputs; }
    std::optional<QString> currentInputUID() const { return m_currentInputUID; }
    std::optional<QString> currentOutputUID() const { return m_currentOutputUID; }
    QString outputName() const { return m_outputName; }
    QString outputDetail() const { return m_outputDetail; }
    bool outputIsPhoneMode() const { return m_outputIsPhoneMode; }
    std::optional<QString> lockedUID() const { return m_lockedUID; }

    void start();
    void stop();
    void selectInput(const AudioDeviceInfo& device);
    void selectOutput(const AudioDeviceInfo& device);
    void toggleLock();

    // A headset's phone-call quality: a known rate of at most 24 kHz, or fewer than two channels.
    static bool isPhoneMode(double rate, int channels);
    // "estéreo 44 kHz" / "mono 16 kHz"; empty without a usable rate.
    static QString formatDetail(double rate, int channels);

Q_SIGNALS:
    void devicesChanged();
    void currentDevicesChanged();
    void outputChanged();
    void lockedUIDChanged();

private:
    void refresh();
    void enforceLock();
    void handleDefaultInputChanged();
    void setLockedUID(std::optional<QString> uid);
    QList<AudioDeviceInfo> devices(bool inputs) const;
    std::optional<AudioDeviceRecord> record(std::optional<std::uint32_t> id) const;
    std::optional<QString> currentDefaultInputUID() const;
    static AudioDeviceInfo infoOf(const AudioDeviceRecord& record);

    std::unique_ptr<IAudioSystem> m_system;
    IPreferences& m_preferences;
    bool m_listening = false;
    QList<AudioDeviceInfo> m_inputs;
    QList<AudioDeviceInfo> m_outputs;
    std::optional<QString> m_currentInputUID;
    std::optional<QString> m_currentOutputUID;
    QString m_outputName = QStringLiteral("—");
    QString m_outputDetail;
    bool m_outputIsPhoneMode = false;
    std::optional<QString> m_lockedUID;
};
