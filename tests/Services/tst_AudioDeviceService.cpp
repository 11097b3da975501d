#include "FakeAudioSystem.h"
#include "InMemoryPreferences.h"
#include "Services/AudioDeviceService.h"
#include "Widgets/AudioWidget.h"

#include <QtTest>

#include <limits>

namespace {

constexpr std::uint32_t studio = 1, headsetMic = 2, speakers = 3, headset = 4;

QList<AudioDeviceRecord> usualDevices() {
    return {{studio, "studio_mic", "Studio", AudioTransport::usb, 2, 0, 48000},
            {headsetMic, "headset_mic", "Headset Mic", AudioTransport::bluetooth, 1, 0, 16000},
            {speakers, "speakers", "Speakers", AudioTransport::builtIn, 0, 2, 48000},
            {headset, "headset", "Headset", AudioTransport::bluetooth, 0, 1, 16000}};
}

} // namespace

class AudioDeviceServiceTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    FakeAudioSystem* system = nullptr;
    std::unique_ptr<AudioWidget> widget;
    AudioInputService* service = nullptr;

    void make(QList<AudioDeviceRecord> devices, std::optional<std::uint32_t> input,
              std::optional<std::uint32_t> output) {
        auto fake = std::make_unique<FakeAudioSystem>();
        system = fake.get();
        std::tie(system->all, system->input, system->output) = std::tuple(std::move(devices), input, output);
        widget =
            std::make_unique<AudioWidget>(std::make_unique<AudioInputService>(std::move(fake), preferences));
        service = &widget->service();
        widget->start();
    }
    static void settle() { QCoreApplication::processEvents(); }

private Q_SLOTS:
    void init() { preferences.remove(AudioInputService::lockedInputKey); }

    void formatAndPhoneMode() {
        const std::tuple<double, int, const char*, bool> rows[] = {
            {44100, 2, "estéreo 44 kHz", false},
            {48000, 1, "mono 48 kHz", true},
            {24000, 2, "estéreo 24 kHz", true},
            {16000, 0, "mono 16 kHz", true},
            {0, 1, "", false},
            {std::numeric_limits<double>::quiet_NaN(), 2, "", false}};
        for (const auto& [rate, channels, detail, phoneMode] : rows) {
            QCOMPARE(AudioInputService::formatDetail(rate, channels), QString::fromUtf8(detail));
            QCOMPARE(AudioInputService::isPhoneMode(rate, channels), phoneMode);
        }
    }

    // A device without a name or id: the fallbacks, and the fallback id is what a lock stores. Without a
    // default output the name is a dash.
    void unnamedDevice() {
        make({{9, "", "", 0, 1, 0, 0}}, 9, std::nullopt);
        QCOMPARE(service->inputs().value(0).name, QStringLiteral("Dispositivo 9"));
        QCOMPARE(service->outputName(), QStringLiteral("—"));
        service->toggleLock();
        QCOMPARE(preferences.value(AudioInputService::lockedInputKey), QVariant(QStringLiteral("id:9")));
    }

    // Another program changes the default input while the locked device is unplugged: nothing is set and
    // the lock stays stored. (With the device present it is put back: see the pulseaudio test.)
    void lockedDeviceAbsent() {
        make(usualDevices(), studio, speakers);
        service->toggleLock();
        system->all.removeFirst();
        system->changeInput(headsetMic);
        settle();
        QCOMPARE(system->input, headsetMic);
        QCOMPARE(preferences.value(AudioInputService::lockedInputKey),
                 QVariant(QStringLiteral("studio_mic")));
    }

    // The user's own choice moves the lock instead of being reverted; without a lock none is set, and
    // switching the lock on without a default input leaves it off and the key removed.
    void choosingAnInputMovesTheLock() {
        preferences.setValue(AudioInputService::lockedInputKey, QStringLiteral("gone"));
        make(usualDevices(), std::nullopt, speakers);
        service->toggleLock();
        service->toggleLock();
        QVERIFY(!service->lockedUID() && !preferences.contains(AudioInputService::lockedInputKey));
        system->changeInput(studio);
        widget->selectInput(1);
        settle();
        QVERIFY(!service->lockedUID());
        service->toggleLock();
        widget->selectInput(0);
        settle();
        QCOMPARE(system->input, studio);
        QCOMPARE(service->lockedUID(), QStringLiteral("studio_mic"));
        QCOMPARE(system->inputWrites, (QList<std::uint32_t>{headsetMic, studio}));
    }

    // A phone-mode output warns in the tab icon even with the input locked; otherwise the lock shows.
    void tabIcon() {
        make(usualDevices(), studio, headset);
        service->toggleLock();
        QCOMPARE(widget->icon(), QStringLiteral("waveform.badge.exclamationmark"));
        widget->selectOutput(0);
        settle();
        QCOMPARE(widget->icon(), QStringLiteral("mic.fill"));
    }
};

QTEST_GUILESS_MAIN(AudioDeviceServiceTest)
#include "tst_AudioDeviceService.moc"
