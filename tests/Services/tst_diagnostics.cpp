#include "Services/DiagnosticsService.h"

#include <QDateTime>
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

constexpr qsizetype timeLength = 24; // 2026-03-01T12:34:56.789Z
constexpr qsizetype maxLogBytes = 524288;

bool matchesEntry(const QString& line, const QString& label, const QString& text) {
    static const QString time = u"\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}\\.\\d{3}Z"_s;
    return QRegularExpression(u"^"_s + time + u" \\["_s + label + u"\\] "_s +
                              QRegularExpression::escape(text) + u"$"_s)
        .match(line)
        .hasMatch();
}

QString signalLine(const QString& signalName) {
    return u"[FAULT] crash por sinal "_s + signalName +
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
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(folder.isValid());
        Diagnostics::setSystemLogSinkForTesting({});
    }

    void init() {
        logPath = folder.filePath(u"run-%1/tavimor.log"_s.arg(++logCount));
        Diagnostics::setLogFilePathForTesting(logPath);
    }

    // Entry format in UTC, the system log copy and the degraded line.
    void entriesInFileAndSystemLog() {
        QVERIFY(!QDir(QFileInfo(logPath).absolutePath()).exists());
        QCOMPARE(Diagnostics::logFilePath(), logPath); // creates the folder
        QVERIFY(QDir(QFileInfo(logPath).absolutePath()).exists());
        QList<QPair<Level, QString>> sent;
        Diagnostics::setSystemLogSinkForTesting([&](Level level, const QString& text) {
            sent.append({level, text});
        });
        Diagnostics::write(Level::Error, u"mensagem"_s, u"código 3"_s);
        Diagnostics::degraded(u"MediaRemote"_s, u"r"_s, u"i"_s);
        Diagnostics::setSystemLogSinkForTesting({});

        const QString degradedText = u"[MediaRemote] indisponível — r · impacto: i"_s;
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(matchesEntry(lines.at(0), u"ERROR"_s, u"mensagem · código 3"_s), qPrintable(lines.at(0)));
        const QDateTime written = QDateTime::fromString(lines.at(0).left(timeLength), Qt::ISODateWithMs);
        QVERIFY(qAbs(written.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QVERIFY2(matchesEntry(lines.at(1), u"WARN"_s, degradedText), qPrintable(lines.at(1)));
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent.at(1), qMakePair(Level::Warn, degradedText));
    }

    void truncationAtTheLimit_data() {
        QTest::addColumn<qsizetype>("bytesOverLimit");
        QTest::newRow("exactly 524288 bytes kept") << qsizetype(0);
        QTest::newRow("one byte more truncates") << qsizetype(1);
    }

    void truncationAtTheLimit() {
        QFETCH(qsizetype, bytesOverLimit);
        const QString message = u"a entrada nova"_s;
        const qsizetype entryLength = timeLength + QByteArray(" [ERROR] ").size() + message.size() + 1;
        QByteArray earlier(maxLogBytes - entryLength + bytesOverLimit, 'a');
        earlier.back() = '\n';
        prefill(earlier);

        Diagnostics::write(Level::Error, message);

        const QStringList lines = logLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(matchesEntry(lines.last(), u"ERROR"_s, message), qPrintable(lines.last()));
        if (bytesOverLimit == 0) {
            QCOMPARE(QFileInfo(logPath).size(), maxLogBytes);
            QCOMPARE(lines.first(), QString::fromLatin1(earlier.chopped(1)));
        } else {
            QVERIFY2(matchesEntry(lines.first(), u"INFO"_s, u"--- log truncado em 512 KB ---"_s),
                     qPrintable(lines.first()));
        }
    }

    void unwritableFolderIsSurvived() {
        prefill("um arquivo, não uma pasta\n");
        logPath += u"/Tavimor/tavimor.log"_s;
        Diagnostics::setLogFilePathForTesting(logPath);

        QCOMPARE(Diagnostics::logFilePath(), logPath);
        Diagnostics::degraded(u"Áudio"_s, u"sem servidor"_s, u"sem volume"_s);
        Diagnostics::flush();
        QVERIFY(!QFile::exists(logPath));
        QCOMPARE(signalEndingChild([] { std::raise(SIGABRT); }), SIGABRT);
    }

    void fatalSignalsLeaveTheirLine_data() {
        QTest::addColumn<Action>("crash");
        QTest::addColumn<int>("expectedSignal");
        QTest::addColumn<QString>("signalName");
        const QString segv = u"SIGSEGV (acesso inválido de memória)"_s;
        QTest::newRow("SIGSEGV") << Action([] { std::raise(SIGSEGV); }) << int(SIGSEGV) << segv;
        QTest::newRow("SIGABRT") << Action([] { std::raise(SIGABRT); }) << int(SIGABRT)
                                 << u"SIGABRT (abort)"_s;
        QTest::newRow("stack overflow") << Action([] { overflowStack(0); }) << int(SIGSEGV) << segv;
        // A second installation must keep the handlers writing to the first log.
        const QString laterPath = folder.filePath(u"later/tavimor.log"_s);
        QTest::newRow("SIGPIPE is ignored") << Action([] {
            int ends[2];
            QCOMPARE(::pipe(ends), 0);
            ::close(ends[0]);
            QCOMPARE(::write(ends[1], "x", 1), ssize_t(-1));
        }) << 0 << QString();
        QTest::newRow("installed twice") << Action([laterPath] {
            Diagnostics::setLogFilePathForTesting(laterPath);
            Diagnostics::installCrashHandlers();
            std::raise(SIGABRT);
        }) << int(SIGABRT) << u"SIGABRT (abort)"_s;
    }

    void fatalSignalsLeaveTheirLine() {
        QFETCH(Action, crash);
        QFETCH(int, expectedSignal);
        QFETCH(QString, signalName);
        prefill("antes do crash\n");

        QCOMPARE(signalEndingChild(crash), expectedSignal);
        QStringList expected{u"antes do crash"_s};
        if (!signalName.isEmpty())
            expected.append(signalLine(signalName));
        QCOMPARE(logLines(), expected);
    }

    void uncaughtExceptionLeavesItsRecord_data() {
        QTest::addColumn<Action>("thrower");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("deepStack");
        QTest::newRow("with reason") << Action([] { throw std::runtime_error("falha de teste"); })
                                     << u"std::runtime_error — falha de teste"_s << false;
        QTest::newRow("without reason") << Action([] { throw 42; }) << u"int — sem motivo"_s << false;
        QTest::newRow("deep stack") << Action([] { throwFromDepth(40); })
                                    << u"std::runtime_error — no fundo"_s << true;
    }

    void uncaughtExceptionLeavesItsRecord() {
        QFETCH(Action, thrower);
        QFETCH(QString, description);
        QFETCH(bool, deepStack);

        // Queued lines come first. The exception must reach the top of a thread's stack; the test runner
        // catches its own thread's.
        constexpr int queuedLines = 2000;
        QCOMPARE(signalEndingChild([&] {
                     for (int i = 0; i < queuedLines; ++i)
                         Diagnostics::write(Level::Info, QString::number(i));
                     std::thread(thrower).join();
                 }),
                 SIGABRT);
        QStringList lines = logLines();
        QVERIFY(lines.size() >= queuedLines + 3);
        for (int i = 0; i < queuedLines; ++i)
            QVERIFY2(matchesEntry(lines.at(i), u"INFO"_s, QString::number(i)), qPrintable(lines.at(i)));
        lines = lines.mid(queuedLines);
        QVERIFY2(matchesEntry(lines.first(), u"FAULT"_s, u"CRASH exceção não capturada: "_s + description),
                 qPrintable(lines.first()));
        QCOMPARE(lines.last(), signalLine(u"SIGABRT (abort)"_s));
        const QStringList frames = lines.mid(1, lines.size() - 2);
        for (const QString& frame : frames)
            QVERIFY2(frame.startsWith(u"  "_s) && frame.size() > 2, qPrintable(frame));
        QVERIFY(frames.size() <= 24);
        if (deepStack)
            QCOMPARE(frames.size(), 24);
    }
};

QTEST_GUILESS_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"
