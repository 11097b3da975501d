#include "FakeClipboard.h"
#include "InMemoryPreferences.h"
#include "Services/SystemMonitorService.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray meminfo = "MemTotal:       16000000 kB\nMemFree:         1000000 kB\n"
                           "MemAvailable:    12000000 kB\nBuffers:          100000 kB\n"
                           "Cached:           2000000 kB\nSwapCached:            0 kB\n";

void write(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

} // namespace

class TestSystemMonitorService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // iowait counts as idle and guest time once; the memory in use is MemTotal - MemAvailable; without an
    // aggregate line or with a truncated one nothing is read.
    void parsesProcfs() {
        using Cpu = std::optional<CpuTimes>;
        using Memory = std::optional<MemoryFigures>;
        const Memory parsed = MemoryFigures{16000000ull * 1024, 12000000ull * 1024, 2000000ull * 1024};
        const Memory noPageCache = MemoryFigures{10240, 4096, 0}; // SwapCached is not Cached
        const std::tuple<QByteArray, QByteArray, Cpu, Memory> rows[] = {
            {"cpu  100 10 50 800 40 5 5 0 30 0\ncpu0 1 2 3 4\n", meminfo, CpuTimes{170, 1010}, parsed},
            {"cpu 1 2 3 4", meminfo, CpuTimes{6, 10}, parsed},
            {"cpu0 1 2 3 4\n", {}, {}, {}},
            {"cpu 1 2", "MemTotal: 10 kB\n", {}, {}},
            {{}, "MemTotal: 10 kB\nMemAvailable: 4 kB\nSwapCached: 3 kB\n", {}, noPageCache}};
        for (const auto& [stat, memoryText, cpu, memory] : rows) {
            QCOMPARE(ProcfsReader::parseStat(stat), cpu);
            QCOMPARE(ProcfsReader::parseMeminfo(memoryText), memory);
        }
    }

    // The first sample has no load; the next one reads the deltas. Unchanged figures announce nothing.
    void samplesAFakeRoot() {
        QTemporaryDir root;
        write(root.filePath("stat"), "cpu  100 0 100 800 0 0 0 0 0 0\n");
        write(root.filePath("meminfo"), meminfo);
        InMemoryPreferences preferences;
        SystemMonitorService service({preferences, nullptr, root.path(), root.path()});
        QSignalSpy changes(&service, &SystemMonitorService::metricsChanged);
        service.updateMetrics();
        QCOMPARE(service.cpuText(), QStringLiteral("—"));
        QCOMPARE(service.memoryPercentText(), QStringLiteral("25%"));
        QCOMPARE(service.cacheText(), QStringLiteral("1.9 GB"));
        write(root.filePath("stat"), "cpu  130 0 120 850 0 0 0 0 0 0\n");
        service.updateMetrics();
        QCOMPARE(service.cpuText(), QStringLiteral("50%"));
        QCOMPARE(changes.size(), 2);
        service.updateMetrics(); // no tick has passed
        QCOMPARE(service.cpuText(), QStringLiteral("50%"));
        QCOMPARE(changes.size(), 2);
        write(root.filePath("stat"), "garbage");
        service.updateMetrics();
        QCOMPARE(service.cpuText(), QStringLiteral("—"));
    }

    void realProcfsFiguresArePlausible() {
        InMemoryPreferences preferences;
        SystemMonitorService service({preferences, nullptr, QStringLiteral("/proc"), QString()});
        service.updateMetrics();
        QElapsedTimer spin;
        spin.start();
        volatile quint64 sink = 0;
        while (spin.elapsed() < 200)
            sink = sink + 1;
        service.updateMetrics();
        QVERIFY(service.cpuUsage() > 0 && service.cpuUsage() <= 1);
        QVERIFY(service.memoryFraction() > 0 && service.memoryFraction() < 1);
        QVERIFY(service.diskFraction() > 0 && service.diskFraction() <= 1);
    }

    // What is copied, in order (a leading "!" marks a secret), and the history that results, newest first.
    void keepsTheClipboardHistory_data() {
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QStringList>("history");
        QTest::newRow("newest first") << QStringList{"a", "b", "c"} << QStringList{"c", "b", "a"};
        QTest::newRow("a copy again moves to the top") << QStringList{"a", "b", "a"} << QStringList{"a", "b"};
        QTest::newRow("secrets never kept") << QStringList{"a", "!hunter2", "b"} << QStringList{"b", "a"};
        QTest::newRow("blank texts skipped") << QStringList{"a", " \n\t"} << QStringList{"a"};
        QTest::newRow("oversized skipped")
            << QStringList{"a", QString(SystemMonitorService::entryLimit + 1, 'x')} << QStringList{"a"};
        QStringList many, newest;
        for (int i = 0; i < SystemMonitorService::historyLimit + 5; ++i)
            many.append(QString::number(i));
        for (int i = SystemMonitorService::historyLimit + 4; i >= 5; --i)
            newest.append(QString::number(i));
        QTest::newRow("bounded") << many << newest;
    }

    void keepsTheClipboardHistory() {
        QFETCH(QStringList, copies);
        QFETCH(QStringList, history);
        InMemoryPreferences preferences;
        FakeClipboard clipboard;
        {
            SystemMonitorService service({preferences, &clipboard, QString(), QString()});
            for (const QString& copy : copies) {
                const bool secret = copy.startsWith(u'!');
                clipboard.put(secret ? copy.mid(1) : copy, secret);
                service.pollClipboard();
            }
            QCOMPARE(service.clipboardHistory(), history);
            const int reads = clipboard.reads;
            service.pollClipboard(); // nothing changed: nothing read
            QCOMPARE(clipboard.reads, reads);
        }
        SystemMonitorService restarted({preferences, &clipboard, QString(), QString()});
        QCOMPARE(restarted.clipboardHistory(), history);
        QVERIFY(!preferences.value("tavimor.clipboardHistoryData").toByteArray().contains("hunter2"));
        restarted.copyEntry(history.size() - 1);
        QCOMPARE(clipboard.content->text, history.last());
        restarted.pollClipboard();
        QCOMPARE(restarted.clipboardHistory().first(), history.last());
    }

    // The switches persist and act at once while running; stop clears both timers, and a switch turned on
    // while stopped starts nothing until the next start.
    void startStopAndSwitches() {
        InMemoryPreferences preferences;
        FakeClipboard clipboard;
        SystemMonitorService service({preferences, &clipboard, QStringLiteral("/proc"), QString()});
        service.start();
        service.setClipboardHistoryEnabled(true);
        QVERIFY(service.isSampling() && service.isPollingClipboard());
        service.setSystemMonitoringEnabled(false);
        QVERIFY(!service.isSampling());
        service.stop();
        service.setSystemMonitoringEnabled(true);
        QVERIFY(!service.isSampling() && !service.isPollingClipboard());
        SystemMonitorService restarted({preferences, &clipboard, QStringLiteral("/proc"), QString()});
        restarted.start();
        QVERIFY(restarted.isSampling() && restarted.isPollingClipboard());
    }
};

QTEST_MAIN(TestSystemMonitorService)
#include "tst_SystemMonitorService.moc"
