#include "Services/DiagnosticsService.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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

constexpr qsizetype maxLogBytes = 524288;

// "2026-03-01T12:34:56.789Z [LABEL] text", stamped within the last minute.
bool isEntry(const QString& line, const QString& label, const QString& text) {
    const QDateTime written = QDateTime::fromString(line.left(24), Qt::ISODateWithMs);
    return written.timeSpec() == Qt::UTC && qAbs(written.secsTo(QDateTime::currentDateTimeUtc())) < 60 &&
           line.mid(24) == u" ["_s + label + u"] "_s + text;
}

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

    QStringList logLines() {
        Diagnostics::flush();
        QFile file(logPath);
        QStringList lines =
            QString::fromUtf8(file.open(QIODevice::ReadOnly) ? file.readAll() : "").split(u'\n');
        return lines.takeLast().isEmpty() ? lines : QStringList{u"<no final line feed>"_s};
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
        Diagnostics::setSystemLogSinkForTesting([&](Level level, const QString& text) {
            sent.append({level, text});
        });
        Diagnostics::write(Level::Error, u"mensagem"_s, u"código 3"_s);
        Diagnostics::degraded(u"MediaRemote"_s, u"r"_s, u"i"_s);

        const QString degradedText = u"[MediaRemote] indisponível — r · impacto: i"_s;
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0), u"anterior"_s);
        QVERIFY2(isEntry(lines.at(1), u"ERROR"_s, u"mensagem · código 3"_s), qPrintable(lines.at(1)));
        QVERIFY2(isEntry(lines.at(2), u"WARN"_s, degradedText), qPrintable(lines.at(2)));
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent.at(1), qMakePair(Level::Warn, degradedText));
    }

    // Exactly the limit is kept; one byte more truncates, and the truncation line comes before the entry.
    void truncationAtTheLimit() {
        for (const qsizetype over : {0, 1}) {
            init();
            const QString message = u"a entrada nova"_s;
            QByteArray earlier(maxLogBytes - 24 - 9 - message.size() - 1 + over, 'a');
            earlier.back() = '\n';
            prefill(earlier);
            Diagnostics::write(Level::Error, message);
            const QStringList lines = logLines();
            QCOMPARE(lines.size(), 2);
            QVERIFY2(isEntry(lines.last(), u"ERROR"_s, message), qPrintable(lines.last()));
            if (over == 0)
                QCOMPARE(QFileInfo(logPath).size(), maxLogBytes);
            else
                QVERIFY2(isEntry(lines.first(), u"INFO"_s, u"--- log truncado em 512 KB ---"_s),
                         qPrintable(lines.first()));
        }
    }

    void fatalSignalsLeaveTheirLine_data() {
        QTest::addColumn<Action>("crash");
        QTest::addColumn<int>("expectedSignal");
        const QString laterPath = folder.filePath(u"later/tavimor.log"_s);
        QTest::newRow("SIGSEGV") << Action([] { std::raise(SIGSEGV); }) << int(SIGSEGV);
        QTest::newRow("SIGABRT") << Action([] { std::raise(SIGABRT); }) << int(SIGABRT);
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
        const QStringList lines = logLines();
        QVERIFY(lines.size() >= queuedLines + 2);
        for (int i = 0; i < queuedLines; i += 499)
            QVERIFY2(isEntry(lines.at(i), u"INFO"_s, QString::number(i)), qPrintable(lines.at(i)));
        const QString fault = lines.at(queuedLines);
        QVERIFY2(isEntry(fault, u"FAULT"_s, u"CRASH exceção não capturada: "_s + description),
                 qPrintable(fault));
        QCOMPARE(lines.last(), signalLine("SIGABRT (abort)"));
        const QStringList stack = lines.mid(queuedLines + 1, lines.size() - queuedLines - 2);
        QVERIFY(stack.size() <= 24 && (frames == 0 || stack.size() == frames));
        for (const QString& frame : stack)
            QVERIFY2(frame.startsWith(u"  "_s) && frame.size() > 2, qPrintable(frame));
    }
};

QTEST_GUILESS_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"
