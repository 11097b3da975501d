#include "FakeClipboard.h"
#include "FakeInhibitor.h"
#include "InMemoryPreferences.h"
#include "Services/SystemMonitorService.h"
#include "Widgets/CaffeinateWidget.h"

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

// The system tab's services: the figures, the clipboard history and keep-awake.
class SystemServicesTest : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeInhibitor> system, display, lid;
    QStringList degraded;
    std::unique_ptr<CaffeinateWidget> keepAwakeWidget;
    CaffeinateService* keepAwake = nullptr;

    void activate(std::optional<qint64> seconds) {
        keepAwake->activate(seconds);
        if (!display->pending.isEmpty()) {
            display->answer(true);
            system->answer(true);
        }
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void init() {
        system = std::make_shared<FakeInhibitor>();
        display = std::make_shared<FakeInhibitor>();
        lid = std::make_shared<FakeInhibitor>();
        degraded.clear();
        keepAwakeWidget = std::make_unique<CaffeinateWidget>(
            CaffeinateLocks{
                system, display, lid,
                [this](const QString& component, const QString&, const QString&) { degraded << component; }},
            nullptr);
        keepAwake = keepAwakeWidget->service();
    }

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
        // No disk: a real one's free space moves with every write on the machine, and the count with it.
        SystemMonitorService service({preferences, nullptr, root.path(), root.filePath("absent")});
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

    // What is copied, in order (a leading "!" marks a secret), gives the history, newest first; it survives a
    // restart without its secrets, and an entry copied back comes to the top.
    void keepsTheClipboardHistory() {
        QStringList many, newest;
        for (int i = 0; i < SystemMonitorService::historyLimit + 5; ++i)
            many.append(QString::number(i));
        for (int i = SystemMonitorService::historyLimit + 4; i >= 5; --i)
            newest.append(QString::number(i));
        const std::pair<QStringList, QStringList> rows[] = {
            {{"a", "b", "c"}, {"c", "b", "a"}},
            {{"a", "b", "a"}, {"a", "b"}},        // a copy again moves to the top
            {{"a", "!hunter2", "b"}, {"b", "a"}}, // secrets never kept
            {{"a", " \n\t"}, {"a"}},              // blank texts skipped
            {{"a", QString(SystemMonitorService::entryLimit + 1, 'x')}, {"a"}}, // oversized skipped
            {many, newest}};                                                    // bounded
        for (const auto& [copies, history] : rows) {
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
    }

    // The switches act only while running: one turned on while stopped starts nothing until the next start.
    // The history follows the clipboard's change notices (what it holds at the start included), and only
    // while it is watched.
    void switchesActWhileRunning() {
        InMemoryPreferences preferences;
        FakeClipboard clipboard;
        clipboard.put("before");
        SystemMonitorService service({preferences, &clipboard, QStringLiteral("/proc"), QString()});
        service.setClipboardHistoryEnabled(true);
        QVERIFY(!service.isSampling() && !service.isWatchingClipboard());
        service.start();
        QVERIFY(service.isSampling() && service.isWatchingClipboard());
        clipboard.put("copied");
        QCOMPARE(service.clipboardHistory(), QStringList({"copied", "before"}));
        service.setSystemMonitoringEnabled(false);
        QVERIFY(!service.isSampling());
        service.setClipboardHistoryEnabled(false);
        clipboard.put("while off");
        service.setClipboardHistoryEnabled(true);
        clipboard.put("again");
        service.stop();
        QVERIFY(!service.isSampling() && !service.isWatchingClipboard());
        clipboard.put("while stopped");
        QCOMPARE(service.clipboardHistory(), QStringList({"again", "while off", "copied", "before"}));
    }

    // A timed run counts down and ends on its last tick; a new request while active only replaces the time
    // left, without a new lock; an indefinite run counts up until switched off.
    void keepAwakeCountsDownAndLetsGo() {
        const QString idle = QStringLiteral("Mantém o computador acordado (tela + sistema).");
        const struct {
            qint64 first;
            int ticksBefore;
            std::optional<qint64> second;
            int ticksAfter; // -1: no second request
            QString status;
        } rows[] = {{900, 899, {}, -1, QStringLiteral("Ativo há 14min • faltam 0min")},
                    {900, 900, {}, -1, idle},
                    {900, 300, 1800, 60, QStringLiteral("Ativo há 6min • faltam 29min")},
                    {1800, 10, {}, 7250, QStringLiteral("Ativo há 2h1min • indefinido")},
                    {0, 1, {}, -1, idle}};
        for (const auto& row : rows) {
            init();
            activate(row.first);
            for (int i = 0; i < row.ticksBefore; ++i)
                keepAwake->tick();
            if (row.ticksAfter >= 0) {
                activate(row.second);
                QVERIFY(display->pending.isEmpty() && system->pending.isEmpty());
                for (int i = 0; i < row.ticksAfter; ++i)
                    keepAwake->tick();
            }
            QCOMPARE(keepAwakeWidget->statusText(), row.status);
            QCOMPARE(system->alive + display->alive, row.status == idle ? 0 : 2);
            QCOMPARE(keepAwake->isActive(), row.status != idle);
        }
    }

    // Keep-awake comes on only with both locks; a refused half lets the other go and is reported once.
    void keepAwakeNeedsBothLocks() {
        const std::pair<bool, bool> answers[] = {{false, true}, {true, false}, {true, true}};
        for (const auto& [displayGranted, systemGranted] : answers) {
            init();
            for (int attempt = 0; attempt < 2 && !keepAwake->isActive(); ++attempt) {
                keepAwake->activate(900);
                display->answer(displayGranted);
                system->answer(systemGranted);
            }
            const bool both = displayGranted && systemGranted;
            QCOMPARE(keepAwake->isActive(), both);
            QCOMPARE(system->alive + display->alive, both ? 2 : 0);
            QCOMPARE(degraded.size(), both ? 0 : 1);
        }
    }

    // Late locks are let go; the lid switch is on only once its lock is held; stop lets every lock go.
    void keepAwakeLidSwitchAndStop() {
        keepAwake->activate(
            std::nullopt); // switched off before the locks arrive: they are dropped on arrival
        keepAwake->deactivate();
        display->answer(true);
        system->answer(true);
        QCOMPARE(system->alive + display->alive, 0);
        keepAwake->setLidSleepPrevention(true);
        QVERIFY(!keepAwake->lidSleepPrevented());
        lid->answer(false);
        QVERIFY(!keepAwake->lidSleepPrevented());
        keepAwake->setLidSleepPrevention(true);
        lid->answer(true);
        QVERIFY(keepAwake->lidSleepPrevented());
        activate(std::nullopt);
        keepAwake->deactivate();
        QVERIFY(keepAwake->lidSleepPrevented());
        activate(60);
        keepAwakeWidget->stop();
        QVERIFY(!keepAwake->isActive() && !keepAwake->lidSleepPrevented());
        QCOMPARE(lid->alive + system->alive + display->alive, 0);
    }
};

QTEST_MAIN(SystemServicesTest)
#include "tst_SystemServices.moc"
