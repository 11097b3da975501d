#include "Services/DiagnosticsService.h"

#include <QtTest>

#include <csignal>
#include <functional>
#include <stdexcept>
#include <thread>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Diagnostics::Level;
using Action = std::function<void()>;

namespace {

QString signalLine(const char* name) {
    return u"[FAULT] crash por sinal "_s + QString::fromUtf8(name) +
           u" — ver o relatório do sistema no journal (journalctl, coredumpctl)"_s;
}

// Runs body in a forked child and returns the signal that ended it (0 when it exited normally).
int signalEndingChild(const Action& body) {
    Diagnostics::flush();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_DUMPABLE, 0); // no core files from the crashes below
        Diagnostics::installCrashHandlers();
        body();
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

[[gnu::noinline]] int throwFromDepth(int depth) {
    if (depth == 0)
        throw std::runtime_error("no fundo");
    volatile int keep = throwFromDepth(depth - 1);
    return keep;
}

volatile bool stackIsEndless = true;

[[gnu::noinline]] int overflowStack(int depth) {
    if (!stackIsEndless)
        return 0;
    volatile char frame[4096];
    frame[0] = char(depth);
    volatile int keep = overflowStack(depth + 1);
    return keep + frame[0];
}

} // namespace

class TestDiagnostics : public QObject {
    Q_OBJECT

    QTemporaryDir folder;
    QString logPath;
    int logCount = 0;

    // The file's lines; a leading "2026-03-01T12:34:56.789Z " in UTC within the last minute becomes "@ ".
    QStringList logLines() {
        Diagnostics::flush();
        QFile file(logPath);
        QStringList lines =
            QString::fromUtf8(file.open(QIODevice::ReadOnly) ? file.readAll() : "").split(u'\n');
        if (!lines.takeLast().isEmpty())
            return {u"<no final line feed>"_s};
        for (QString& line : lines) {
            const QDateTime written = QDateTime::fromString(line.left(24), Qt::ISODateWithMs);
            if (written.timeSpec() == Qt::UTC && qAbs(written.secsTo(QDateTime::currentDateTimeUtc())) < 60)
                line.replace(0, 24, u"@"_s);
        }
        return lines;
    }

    void prefill(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(logPath).absolutePath());
        QFile file(logPath);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

private Q_SLOTS:
    void init() {
        logPath = folder.filePath(u"run-%1/tavimor.log"_s.arg(++logCount));
        Diagnostics::setLogFilePathForTesting(logPath);
        Diagnostics::setSystemLogSinkForTesting({});
    }

    // Entries are appended to what the file holds, and copied to the system log.
    void entriesInFileAndSystemLog() {
        prefill("anterior\n");
        QList<QPair<Level, QString>> sent;
        Diagnostics::setSystemLogSinkForTesting([&](auto level, auto& text) { sent.append({level, text}); });
        Diagnostics::write(Level::Error, u"mensagem"_s, u"código 3"_s);
        Diagnostics::degraded(u"MediaRemote"_s, u"r"_s, u"i"_s);

        const QString degradedText = u"[MediaRemote] indisponível — r · impacto: i"_s;
        QCOMPARE(logLines(), (QStringList{u"anterior"_s, u"@ [ERROR] mensagem · código 3"_s,
                                          u"@ [WARN] "_s + degradedText}));
        QCOMPARE(sent, (QList<QPair<Level, QString>>{{Level::Error, u"mensagem · código 3"_s},
                                                     {Level::Warn, degradedText}}));
    }

    // Exactly the limit is kept; one byte more truncates, and the truncation line comes before the entry.
    void truncationAtTheLimit() {
        for (const int over : {0, 1}) {
            init();
            // With the entry's line, "<time> [ERROR] a entrada nova\n", the file reaches 512 KB + over.
            const QByteArray earlier = QByteArray(512 * 1024 - 24 - 9 - 14 - 1 - 1 + over, 'a') + '\n';
            prefill(earlier);
            Diagnostics::write(Level::Error, u"a entrada nova"_s);
            const QString first =
                over ? u"@ [INFO] --- log truncado em 512 KB ---"_s : QString::fromLatin1(earlier.chopped(1));
            QCOMPARE(logLines(), (QStringList{first, u"@ [ERROR] a entrada nova"_s}));
        }
    }

    void fatalSignalsLeaveTheirLine_data() {
        QTest::addColumn<Action>("crash");
        QTest::addColumn<int>("expectedSignal");
        const QString laterPath = folder.filePath(u"later/tavimor.log"_s);
        QTest::newRow("stack overflow") << Action([] { overflowStack(0); }) << int(SIGSEGV);
        QTest::newRow("SIGPIPE is ignored") << Action([] {
            int ends[2];
            QCOMPARE(::pipe(ends), 0);
            ::close(ends[0]);
            QCOMPARE(::write(ends[1], "x", 1), ssize_t(-1));
        }) << 0;
        // A second installation keeps the handlers writing to the first log.
        QTest::newRow("installed twice") << Action([laterPath] {
            Diagnostics::setLogFilePathForTesting(laterPath);
            Diagnostics::installCrashHandlers();
            std::raise(SIGABRT);
        }) << int(SIGABRT);
    }

    void fatalSignalsLeaveTheirLine() {
        QFETCH(Action, crash);
        QFETCH(int, expectedSignal);
        prefill("antes do crash\n");
        QCOMPARE(signalEndingChild(crash), expectedSignal);
        QStringList expected{u"antes do crash"_s};
        if (expectedSignal == SIGSEGV)
            expected.append(signalLine("SIGSEGV (acesso inválido de memória)"));
        else if (expectedSignal == SIGABRT)
            expected.append(signalLine("SIGABRT (abort)"));
        QCOMPARE(logLines(), expected);
    }

    // A folder that cannot be made loses the entries, never the process.
    void unwritableFolderIsSurvived() {
        prefill("um arquivo, não uma pasta\n");
        logPath += u"/Tavimor/tavimor.log"_s;
        Diagnostics::setLogFilePathForTesting(logPath);
        Diagnostics::degraded(u"Áudio"_s, u"sem servidor"_s, u"sem volume"_s);
        Diagnostics::flush();
        QVERIFY(!QFile::exists(logPath));
        QCOMPARE(signalEndingChild([] { std::raise(SIGABRT); }), SIGABRT);
    }

    void uncaughtExceptionLeavesItsRecord_data() {
        QTest::addColumn<Action>("thrower");
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("frames");
        QTest::newRow("with reason") << Action([] { throw std::runtime_error("falha de teste"); })
                                     << u"std::runtime_error — falha de teste"_s << 0;
        QTest::newRow("without reason") << Action([] { throw 42; }) << u"int — sem motivo"_s << 0;
        QTest::newRow("deep stack, 24 frames at most")
            << Action([] { throwFromDepth(40); }) << u"std::runtime_error — no fundo"_s << 24;
    }

    // Lines queued before the crash are written first, the signal line last. The exception must reach the
    // top of a thread's stack; the test runner catches its own thread's.
    void uncaughtExceptionLeavesItsRecord() {
        QFETCH(Action, thrower);
        QFETCH(QString, description);
        QFETCH(int, frames);
        constexpr int queuedLines = 2000;
        QCOMPARE(signalEndingChild([&] {
                     for (int i = 0; i < queuedLines; ++i)
                         Diagnostics::write(Level::Info, QString::number(i));
                     std::thread(thrower).join();
                 }),
                 SIGABRT);
        QStringList queued;
        for (int i = 0; i < queuedLines; ++i)
            queued.append(u"@ [INFO] "_s + QString::number(i));
        const QStringList lines = logLines();
        QVERIFY(lines.size() >= queuedLines + 2);
        QCOMPARE(lines.first(queuedLines), queued);
        QCOMPARE(lines.at(queuedLines), u"@ [FAULT] CRASH exceção não capturada: "_s + description);
        QCOMPARE(lines.last(), signalLine("SIGABRT (abort)"));
        const QStringList stack = lines.mid(queuedLines + 1, lines.size() - queuedLines - 2);
        QVERIFY(stack.size() <= 24 && (frames == 0 || stack.size() == frames));
        for (const QString& frame : stack)
            QVERIFY2(frame.startsWith(u"  "_s) && frame.size() > 2, qPrintable(frame));
    }
};

QTEST_GUILESS_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"
