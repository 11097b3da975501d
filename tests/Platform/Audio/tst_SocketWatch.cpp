#include "Platform/Audio/PulseAudioSystem.h"
#include "Platform/Audio/SocketWatch.h"

#include <QtTest>

// The watch on the sound server's socket, in a temporary folder, and where that socket is looked for.
class SocketWatchTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Shell steps in a temporary folder: the first before the watch on run/pulse/native begins, each other
    // one after the events of the one before have been read.
    void toldOfNewSocketsOnly_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("told");
        QTest::newRow("left behind, quiet until replaced")
            << QStringList{"mkdir -p run/pulse && touch run/pulse/native", "touch run/pulse/pid",
                           "rm run/pulse/pid", "rm run/pulse/native", "touch run/pulse/native"}
            << 1;
        QTest::newRow("folders made later")
            << QStringList{"", "mkdir run", "mkdir run/pulse", "touch run/pulse/native"} << 1;
        QTest::newRow("folder removed and made again")
            << QStringList{"mkdir -p run/pulse", "rm -r run", "mkdir -p run/pulse", "touch run/pulse/other",
                           "touch run/pulse/native"}
            << 1;
        QTest::newRow("created twice") << QStringList{"", "mkdir -p run/pulse && touch run/pulse/native",
                                                      "rm run/pulse/native", "touch run/pulse/native"}
                                       << 2;
    }

    void toldOfNewSocketsOnly() {
        QFETCH(QStringList, steps);
        QFETCH(int, told);
        QTemporaryDir folder;
        const auto run = [&](const QString& step) {
            QProcess shell;
            shell.setWorkingDirectory(folder.path());
            shell.start("bash", {"-c", step});
            QVERIFY(shell.waitForFinished() && shell.exitCode() == 0);
        };
        run(steps.takeFirst());
        SocketWatch watch;
        QSignalSpy spy(&watch, &SocketWatch::socketCreated);
        watch.watch(folder.filePath("run/pulse/native"));
        for (const QString& step : steps) {
            run(step);
            QTest::qWait(100);
        }
        QCOMPARE(spy.count(), told);
    }

    void socketPath_data() {
        QTest::addColumn<QString>("pulseServer");
        QTest::addColumn<QString>("runtimePath");
        QTest::addColumn<QString>("path");
        QTest::newRow("runtime folder") << ""
                                        << ""
                                        << "/run/user/1000/pulse/native";
        QTest::newRow("its own runtime folder") << " "
                                                << "/tmp/p"
                                                << "/tmp/p/native";
        QTest::newRow("unix: server") << "unix:/tmp/s.sock"
                                      << "/tmp/p"
                                      << "/tmp/s.sock";
        QTest::newRow("first local of a list") << "tcp:box:4713 {abc}/tmp/a  unix:/tmp/b"
                                               << ""
                                               << "/tmp/a";
        QTest::newRow("remote only") << "tcp:box:4713 box"
                                     << ""
                                     << "";
    }

    void socketPath() {
        QFETCH(QString, pulseServer);
        QFETCH(QString, runtimePath);
        QFETCH(QString, path);
        QCOMPARE(PulseAudioSystem::serverSocketPath(pulseServer, runtimePath, "/run/user/1000"), path);
    }
};

QTEST_GUILESS_MAIN(SocketWatchTest)
#include "tst_SocketWatch.moc"
