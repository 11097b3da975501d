#include "InMemoryPreferences.h"
#include "Platform/Audio/PulseAudioSystem.h"
#include "Services/AudioDeviceService.h"

#include <QtTest>

// The audio-device service over a real pulseaudio with null devices, which this test starts, kills and
// restarts on the socket tests/integration/test_music_audio_app.sh names.
class PulseAudioSystemTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    QStringList degraded; // the components of the degraded-feature lines
    QStringList restored; // and of the lines telling that one works again
    QProcess server;
    PulseAudioSystem* system = nullptr;
    std::unique_ptr<AudioInputService> service;

    static QString pactl(const QStringList& arguments) {
        QProcess process;
        process.start("pactl", arguments);
        return process.waitForFinished() ? QString::fromUtf8(process.readAllStandardOutput()).trimmed()
                                         : QString();
    }
    // Runs bash with the music and audio test helpers loaded.
    static void shell(const QString& script) {
        QProcess::execute("bash", {"-c", "source \"$TAVIMOR_TEST_PEERS\"; " + script});
    }

    void startServer() {
        const QString socket = qEnvironmentVariable("TAVIMOR_PULSE_SOCKET");
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start(QStringLiteral("pulseaudio"),
                     {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes", "--use-pid-file=no",
                      "--log-level=error",
                      "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket});
        QVERIFY(QTest::qWaitFor([] { return !pactl({"info"}).isEmpty(); }, 10000));
        shell("add_null_devices; pactl set-default-source studio_mic");
    }

    void stopServer() {
        server.kill();
        server.waitForFinished();
    }

    // Both null sinks and both null sources; the sinks' monitors are no inputs.
    bool listsBoth() {
        return QTest::qWaitFor(
            [&] { return service->outputs().size() == 2 && service->inputs().size() == 2; }, 5000);
    }

private Q_SLOTS:
    void initTestCase() {
        if (qgetenv("TAVIMOR_PULSE_TEST") != "1")
            QSKIP("runs only inside tests/integration/test_music_audio_app.sh");
        if (!qEnvironmentVariable("PULSE_SERVER").endsWith(qEnvironmentVariable("TAVIMOR_PULSE_SOCKET")))
            QFAIL("refusing to run: PULSE_SERVER is not the script's private server");
    }

    void init() {
        startServer();
        degraded.clear();
        restored.clear();
        auto real = std::make_unique<PulseAudioSystem>(
            [this](const QString& component, const QString&, const QString&) { degraded << component; },
            [this](const QString& component, const QString&) { restored << component; });
        system = real.get();
        service = std::make_unique<AudioInputService>(std::move(real), preferences);
        service->start();
    }

    void cleanup() {
        service.reset();
        stopServer();
        preferences.remove(AudioInputService::lockedInputKey);
    }

    void lockRevertsAnOutsideChange() {
        const auto inputIs = [&](const QString& uid) {
            return QTest::qWaitFor(
                [&] { return service->currentInputUID() == uid && pactl({"get-default-source"}) == uid; },
                3000);
        };
        QVERIFY(listsBoth() && inputIs("studio_mic"));
        service->toggleLock();
        pactl({"set-default-source", "headset_mic"});
        QVERIFY(inputIs("studio_mic"));
    }

    // A burst of 50 new devices gives a few enumerations, not 50.
    void burstIsCoalesced() {
        QVERIFY(listsBoth());
        const int before = system->enumerationCount();
        shell("for i in $(seq 50); do pactl load-module module-null-sink sink_name=burst$i >/dev/null; done");
        QVERIFY(QTest::qWaitFor([&] { return service->outputs().size() == 52; }, 10000));
        QTest::qWait(200);
        const int enumerations = system->enumerationCount() - before;
        qInfo("enumerations for a burst of 50 device changes: %d", enumerations); // read by the benchmark
        QVERIFY2(enumerations <= 5, qPrintable(QString::number(enumerations)));
    }

    // The server goes away: no devices and no defaults, and one degraded line however long it stays away;
    // it comes back: the same devices return with their ids, and a later absence is told again.
    void reconnectsAfterRestart() {
        QVERIFY(listsBoth());
        const auto hifiId = service->outputs().value(0).id;
        QVERIFY(degraded.isEmpty());
        for (int absence = 1; absence <= 2; ++absence) {
            stopServer();
            QVERIFY(QTest::qWaitFor(
                [&] { return service->outputs().isEmpty() && service->inputs().isEmpty(); }, 3000));
            QVERIFY(!service->currentInputUID() && !service->currentOutputUID());
            QCOMPARE(service->outputName(), QStringLiteral("—"));
            QTest::qWait(1600); // retries fail meanwhile
            QCOMPARE(degraded, QStringList(absence, QStringLiteral("PulseAudio")));
            startServer();
            QVERIFY(QTest::qWaitFor([&] { return system->isConnected(); }, 10000));
            QVERIFY(listsBoth());
            QCOMPARE(service->outputs().value(0).id, hifiId);
            QCOMPARE(service->currentInputUID(), QStringLiteral("studio_mic"));
        }
    }

    // Away long enough for the retries to have drawn far apart, the server is noticed as soon as it is back,
    // and one line tells so.
    void returnIsNoticedAtOnce() {
        QVERIFY(listsBoth());
        QVERIFY(restored.isEmpty());
        stopServer();
        QVERIFY(QTest::qWaitFor([&] { return service->outputs().isEmpty(); }, 3000));
        QTest::qWait(9000); // the next retry is 6 s away
        QElapsedTimer sinceRestart;
        sinceRestart.start();
        startServer();
        QVERIFY(
            QTest::qWaitFor([&] { return service->outputs().size() == 2 && service->inputs().size() == 2; },
                            int(std::max<qint64>(0, 2000 - sinceRestart.elapsed()))));
        QCOMPARE(restored, QStringList(QStringLiteral("PulseAudio")));
    }
};

QTEST_GUILESS_MAIN(PulseAudioSystemTest)
#include "tst_PulseAudioSystem.moc"
