#include "Services/DiagnosticsService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Diagnostics::Level;

namespace {

const QString timePattern = u"\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}\\.\\d{3}Z"_s;
const QString crashHint = u" — ver o relatório do sistema no journal (journalctl, coredumpctl)"_s;
constexpr qsizetype timeLength = 24; // 2026-03-01T12:34:56.789Z
constexpr qsizetype maxLogBytes = 524288;

bool matchesEntry(const QString& line, const QString& label, const QString& text) {
    const QRegularExpression entry(u"^"_s + timePattern + u" \\["_s + label + u"\\] "_s +
                                   QRegularExpression::escape(text) + u"$"_s);
    return entry.match(line).hasMatch();
}

bool isTruncationLine(const QString& line) {
    return matchesEntry(line, u"INFO"_s, u"--- log truncado em 512 KB ---"_s);
}

QString signalLine(const QString& signalName) {
    return u"[FAULT] crash por sinal "_s + signalName + crashHint;
}

// Runs body in a forked child and returns the signal that ended it (0 when it exited normally).
int signalEndingChild(const std::function<void()>& body) {
    Diagnostics::flush();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_DUMPABLE, 0); // no core files from the crashes below
        body();
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// The exception must reach the top of a thread's stack; the test runner catches what its own thread throws.
void throwOnFreshThread(const std::function<void()>& thrower) {
    std::thread(thrower).join();
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

private Q_SLOTS:
    void initTestCase();
    void init();
    void entryLines_data();
    void entryLines();
    void degradedAndSystemLog();
    void sessionStart();
    void truncationAtTheLimit_data();
    void truncationAtTheLimit();
    void appendsAndCreatesWithoutReplacing();
    void unwritableFolderIsSurvived();
    void callOrderKeptAcrossThreads();
    void fatalSignalsLeaveTheirLine_data();
    void fatalSignalsLeaveTheirLine();
    void uncaughtExceptionLeavesItsRecord_data();
    void uncaughtExceptionLeavesItsRecord();
    void installingTwiceKeepsTheFirstInstallation();

private:
    QStringList logLines();
    void prefill(const QByteArray& bytes);

    QTemporaryDir folder;
    QString logPath;
    int logCount = 0;
};

void TestDiagnostics::initTestCase() {
    QVERIFY(folder.isValid());
    Diagnostics::setSystemLogSinkForTesting({});
}

void TestDiagnostics::init() {
    logPath = folder.filePath(u"run-%1/tavimor.log"_s.arg(++logCount));
    Diagnostics::setLogFilePathForTesting(logPath);
}

QStringList TestDiagnostics::logLines() {
    Diagnostics::flush();
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString content = QString::fromUtf8(file.readAll());
    if (!content.endsWith(u'\n'))
        return {u"<no final line feed>"_s};
    return content.chopped(1).split(u'\n');
}

void TestDiagnostics::prefill(const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(logPath).absolutePath());
    QFile file(logPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestDiagnostics::entryLines_data() {
    QTest::addColumn<Level>("level");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");

    QTest::newRow("info without detail") << Level::Info << QString() << u"INFO"_s << u"mensagem"_s;
    QTest::newRow("warn with detail") << Level::Warn << u"x"_s << u"WARN"_s << u"mensagem · x"_s;
    QTest::newRow("error") << Level::Error << u"código 3"_s << u"ERROR"_s << u"mensagem · código 3"_s;
    QTest::newRow("fault") << Level::Fault << QString() << u"FAULT"_s << u"mensagem"_s;
}

void TestDiagnostics::entryLines() {
    QFETCH(Level, level);
    QFETCH(QString, detail);
    QFETCH(QString, label);
    QFETCH(QString, text);

    Diagnostics::write(level, u"mensagem"_s, detail);

    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(matchesEntry(lines.first(), label, text), qPrintable(lines.first()));
    const QDateTime written = QDateTime::fromString(lines.first().left(timeLength), Qt::ISODateWithMs);
    QVERIFY(qAbs(written.secsTo(QDateTime::currentDateTimeUtc())) < 60);
}

void TestDiagnostics::degradedAndSystemLog() {
    QList<QPair<Level, QString>> sent;
    Diagnostics::setSystemLogSinkForTesting([&](Level level, const QString& text) {
        sent.append({level, text});
    });

    Diagnostics::degraded(u"MediaRemote"_s, u"r"_s, u"i"_s);
    Diagnostics::write(Level::Info, u"só a mensagem"_s);
    Diagnostics::setSystemLogSinkForTesting({});

    const QString degradedText = u"[MediaRemote] indisponível — r · impacto: i"_s;
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    QVERIFY2(matchesEntry(lines.at(0), u"WARN"_s, degradedText), qPrintable(lines.at(0)));
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0).first, Level::Warn);
    QCOMPARE(sent.at(0).second, degradedText);
    QCOMPARE(sent.at(1).second, u"só a mensagem"_s);
}

void TestDiagnostics::sessionStart() {
    QCoreApplication::setApplicationVersion(u"9.8.7"_s);
    Diagnostics::logSessionStart();
    QCoreApplication::setApplicationVersion({});
    Diagnostics::logSessionStart();

    const QString system = QSysInfo::prettyProductName();
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    QVERIFY2(matchesEntry(lines.at(0), u"INFO"_s, u"===== Tavimor 9.8.7 (?) iniciado ===== · "_s + system),
             qPrintable(lines.at(0)));
    QVERIFY2(matchesEntry(lines.at(1), u"INFO"_s,
                          u"===== Tavimor "_s + QStringLiteral(TAVIMOR_VERSION) +
                              u" (?) iniciado ===== · "_s + system),
             qPrintable(lines.at(1)));
}

void TestDiagnostics::truncationAtTheLimit_data() {
    QTest::addColumn<qsizetype>("bytesOverLimit");
    QTest::newRow("exactly 524288 bytes kept") << qsizetype(0);
    QTest::newRow("one byte more truncates") << qsizetype(1);
}

void TestDiagnostics::truncationAtTheLimit() {
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
        QVERIFY2(isTruncationLine(lines.first()), qPrintable(lines.first()));
    }
}

void TestDiagnostics::appendsAndCreatesWithoutReplacing() {
    const QString folderPath = QFileInfo(logPath).absolutePath();
    QVERIFY(!QDir(folderPath).exists());
    QCOMPARE(Diagnostics::logFilePath(), logPath);
    QVERIFY(QDir(folderPath).exists());

    Diagnostics::write(Level::Info, u"primeira"_s);
    QStringList lines = logLines();
    QCOMPARE(lines.size(), 1);

    prefill("linha de outra sessão\n");
    Diagnostics::write(Level::Warn, u"segunda"_s);
    lines = logLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), u"linha de outra sessão"_s);
    QVERIFY(matchesEntry(lines.at(1), u"WARN"_s, u"segunda"_s));
}

void TestDiagnostics::unwritableFolderIsSurvived() {
    prefill("um arquivo, não uma pasta\n");
    logPath = logPath + u"/Tavimor/tavimor.log"_s;
    Diagnostics::setLogFilePathForTesting(logPath);

    QCOMPARE(Diagnostics::logFilePath(), logPath);
    Diagnostics::logSessionStart();
    Diagnostics::degraded(u"Áudio"_s, u"sem servidor"_s, u"sem volume"_s);
    Diagnostics::flush();
    QVERIFY(!QFile::exists(logPath));

    const int endingSignal = signalEndingChild([] {
        Diagnostics::installCrashHandlers();
        std::raise(SIGABRT);
    });
    QCOMPARE(endingSignal, SIGABRT);
}

void TestDiagnostics::callOrderKeptAcrossThreads() {
    constexpr int threadCount = 8;
    constexpr int writesPerThread = 150;
    std::mutex turn;
    int next = 0;
    std::vector<std::thread> writers;
    for (int t = 0; t < threadCount; ++t) {
        writers.emplace_back([&] {
            for (int i = 0; i < writesPerThread; ++i) {
                const std::lock_guard lock(turn);
                Diagnostics::write(Level::Info, QString::number(next++));
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();

    const QStringList lines = logLines();
    QCOMPARE(lines.size(), threadCount * writesPerThread);
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(matchesEntry(lines.at(i), u"INFO"_s, QString::number(i)), qPrintable(lines.at(i)));
}

void TestDiagnostics::fatalSignalsLeaveTheirLine_data() {
    QTest::addColumn<std::function<void()>>("crash");
    QTest::addColumn<int>("expectedSignal");
    QTest::addColumn<QString>("signalName");

    QTest::newRow("SIGSEGV") << std::function<void()>([] { std::raise(SIGSEGV); }) << int(SIGSEGV)
                             << u"SIGSEGV (acesso inválido de memória)"_s;
    QTest::newRow("SIGABRT") << std::function<void()>([] { std::raise(SIGABRT); }) << int(SIGABRT)
                             << u"SIGABRT (abort)"_s;
    QTest::newRow("SIGBUS") << std::function<void()>([] { std::raise(SIGBUS); }) << int(SIGBUS)
                            << u"SIGBUS (erro de barramento)"_s;
    QTest::newRow("stack overflow") << std::function<void()>([] { overflowStack(0); }) << int(SIGSEGV)
                                    << u"SIGSEGV (acesso inválido de memória)"_s;
}

void TestDiagnostics::fatalSignalsLeaveTheirLine() {
    QFETCH(std::function<void()>, crash);
    QFETCH(int, expectedSignal);
    QFETCH(QString, signalName);
    prefill("antes do crash\n");

    const int endingSignal = signalEndingChild([&] {
        Diagnostics::installCrashHandlers();
        crash();
    });

    QCOMPARE(endingSignal, expectedSignal);
    QCOMPARE(logLines(), QStringList({u"antes do crash"_s, signalLine(signalName)}));
}

void TestDiagnostics::uncaughtExceptionLeavesItsRecord_data() {
    QTest::addColumn<std::function<void()>>("thrower");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("deepStack");

    QTest::newRow("with reason") << std::function<void()>([] { throw std::runtime_error("falha de teste"); })
                                 << u"std::runtime_error — falha de teste"_s << false;
    QTest::newRow("without reason") << std::function<void()>([] { throw 42; }) << u"int — sem motivo"_s
                                    << false;
    QTest::newRow("deep stack") << std::function<void()>([] { throwFromDepth(40); })
                                << u"std::runtime_error — no fundo"_s << true;
}

void TestDiagnostics::uncaughtExceptionLeavesItsRecord() {
    QFETCH(std::function<void()>, thrower);
    QFETCH(QString, description);
    QFETCH(bool, deepStack);

    const int endingSignal = signalEndingChild([&] {
        Diagnostics::installCrashHandlers();
        throwOnFreshThread(thrower);
    });

    QCOMPARE(endingSignal, SIGABRT);
    const QStringList lines = logLines();
    QVERIFY(lines.size() >= 3);
    QVERIFY2(matchesEntry(lines.first(), u"FAULT"_s, u"CRASH exceção não capturada: "_s + description),
             qPrintable(lines.first()));
    QCOMPARE(lines.last(), signalLine(u"SIGABRT (abort)"_s));
    const QStringList frames = lines.mid(1, lines.size() - 2);
    for (const QString& frame : frames)
        QVERIFY2(frame.startsWith(u"  "_s) && frame.size() > 2, qPrintable(frame));
    if (deepStack)
        QCOMPARE(frames.size(), 24);
    else
        QVERIFY(frames.size() <= 24);
}

void TestDiagnostics::installingTwiceKeepsTheFirstInstallation() {
    const QString laterPath = folder.filePath(u"later/tavimor.log"_s);

    const int endingSignal = signalEndingChild([&] {
        Diagnostics::installCrashHandlers();
        Diagnostics::setLogFilePathForTesting(laterPath);
        Diagnostics::installCrashHandlers();
        std::raise(SIGABRT);
    });

    QCOMPARE(endingSignal, SIGABRT);
    QCOMPARE(logLines(), QStringList{signalLine(u"SIGABRT (abort)"_s)});
    QVERIFY(!QFile::exists(laterPath));
}

QTEST_GUILESS_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"
