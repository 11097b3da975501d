#include "Services/DiagnosticsService.h"

#include "Foundation/AppPaths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <QSysInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <deque>
#include <exception>
#include <execinfo.h>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <typeinfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

namespace {

using Diagnostics::Level;
using namespace Qt::StringLiterals;

constexpr off_t maxLogBytes = 512 * 1024;
constexpr int maxCrashFrames = 24;
constexpr char systemLogIdent[] = "com.dravo.tavimor";
constexpr char crashReportHint[] = " — ver o relatório do sistema no journal (journalctl, coredumpctl)";

// ---- Lines ----

QString label(Level level) {
    switch (level) {
    case Level::Info:
        return QStringLiteral("INFO");
    case Level::Warn:
        return QStringLiteral("WARN");
    case Level::Error:
        return QStringLiteral("ERROR");
    case Level::Fault:
        return QStringLiteral("FAULT");
    }
    return {};
}

QByteArray timedLine(const QString& levelLabel, const QString& text) {
    const QString time = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    return (time + u" ["_s + levelLabel + u"] "_s + text + u'\n').toUtf8();
}

QByteArray truncationLine() {
    return timedLine(QStringLiteral("INFO"), QStringLiteral("--- log truncado em 512 KB ---"));
}

// ---- Shared settings: log path and system-log sink ----

void sendToSyslog(Level level, const QString& text) {
    static std::once_flag opened;
    std::call_once(opened, [] { openlog(systemLogIdent, LOG_PID, LOG_USER); });
    syslog(level == Level::Info ? LOG_INFO : LOG_ERR, "%s", text.toUtf8().constData());
}

struct Settings {
    std::mutex mutex;
    QString logPathOverride;
    Diagnostics::SystemLogSink systemLog = sendToSyslog;
};

// Never destroyed: entries may still be written while static objects are being torn down at exit.
Settings& settings() {
    static Settings* const shared = new Settings;
    return *shared;
}

QString currentLogPath() {
    Settings& shared = settings();
    const std::lock_guard lock(shared.mutex);
    return shared.logPathOverride.isEmpty() ? AppPaths::logFile() : shared.logPathOverride;
}

void sendToSystemLog(Level level, const QString& text) {
    Settings& shared = settings();
    Diagnostics::SystemLogSink sink;
    {
        const std::lock_guard lock(shared.mutex);
        sink = shared.systemLog;
    }
    if (sink)
        sink(level, text);
}

// ---- File appends ----

// Async-signal-safe: used by the signal handler too.
void writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        size -= static_cast<size_t>(written);
    }
}

void writeAll(int fd, const QByteArray& bytes) {
    writeAll(fd, bytes.constData(), size_t(bytes.size()));
}

void createParentFolder(const QByteArray& path) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path.toStdString()).parent_path(), ignored);
}

// Held by whoever appends to the file: the writer thread for each queued line, the crash path for its
// last lines, so the size check and the truncation are one step with the append. Never destroyed.
std::mutex& logFileMutex() {
    static std::mutex* const shared = new std::mutex;
    return *shared;
}

// Appends one line, never replacing what the file holds. Past 512 KB the file restarts with the
// truncation line followed by the line that crossed the limit. Errors are ignored. The caller holds
// logFileMutex().
void appendLine(const QByteArray& path, const QByteArray& line) {
    createParentFolder(path);
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    writeAll(fd, line);
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_size > maxLogBytes && ::ftruncate(fd, 0) == 0) {
        writeAll(fd, truncationLine());
        writeAll(fd, line);
    }
    ::close(fd);
}

struct PendingLine {
    QByteArray path;
    QByteArray bytes;
};

// One worker thread with a FIFO, so the file receives lines in the order write() was called.
class LogWriter {
public:
    // Never destroyed, so writes during static destruction stay safe; the queue is drained at exit.
    static LogWriter& instance() {
        static LogWriter* const writer = [] {
            auto* created = new LogWriter;
            std::atexit([] { instance().flush(); });
            return created;
        }();
        return *writer;
    }

    void enqueue(QByteArray path, QByteArray line) {
        {
            const std::lock_guard lock(mutex);
            if (closed)
                return;
            pending.push_back({std::move(path), std::move(line)});
            ++queued;
        }
        wake.notify_one();
    }

    void flush() {
        std::unique_lock lock(mutex);
        const std::uint64_t target = queued;
        drained.wait(lock, [&] { return written >= target; });
    }

    // The process is ending: hands over what is still queued, for the caller to write with its last
    // entry while it holds logFileMutex(), and drops every later line.
    std::deque<PendingLine> close() {
        std::deque<PendingLine> rest;
        {
            const std::lock_guard lock(mutex);
            closed = true;
            rest.swap(pending);
            written = queued;
        }
        drained.notify_all();
        return rest;
    }

private:
    LogWriter() {
        std::thread([this] { run(); }).detach();
    }

    [[noreturn]] void run() {
        for (;;) {
            waitForLines();
            const std::lock_guard file(logFileMutex());
            if (const std::optional<PendingLine> next = takeNext()) {
                appendLine(next->path, next->bytes);
                const std::lock_guard lock(mutex);
                ++written;
            }
            drained.notify_all();
        }
    }

    void waitForLines() {
        std::unique_lock lock(mutex);
        wake.wait(lock, [&] { return !pending.empty(); });
    }

    // Nothing when close() took the queue in the meantime.
    std::optional<PendingLine> takeNext() {
        const std::lock_guard lock(mutex);
        if (pending.empty())
            return std::nullopt;
        PendingLine next = std::move(pending.front());
        pending.pop_front();
        return next;
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable drained;
    std::deque<PendingLine> pending;
    std::uint64_t queued = 0;
    std::uint64_t written = 0;
    bool closed = false;
};

// The last entry of a dying process, written on the calling thread after every line still queued, so
// that it is on disk before the process ends and stays the last line.
void writeFinalEntry(Level level, const QString& text) {
    sendToSystemLog(level, text);
    const std::lock_guard file(logFileMutex());
    for (const PendingLine& queued : LogWriter::instance().close())
        appendLine(queued.path, queued.bytes);
    appendLine(QFile::encodeName(currentLogPath()), timedLine(label(level), text));
}

// ---- Uncaught exceptions ----

QString exceptionName(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const QString name = QString::fromUtf8(status == 0 && demangled ? demangled : type.name());
    std::free(demangled);
    return name;
}

// Only valid while an exception is being handled.
QString exceptionReason() {
    try {
        throw;
    } catch (const std::exception& error) {
        if (*error.what() != '\0')
            return QString::fromUtf8(error.what());
    } catch (...) {
    }
    return QStringLiteral("sem motivo");
}

QString callStackFrames() {
    void* addresses[maxCrashFrames];
    const int count = backtrace(addresses, maxCrashFrames);
    char** symbols = backtrace_symbols(addresses, count);
    QStringList frames;
    for (int i = 0; symbols && i < count; ++i)
        frames << QString::fromLocal8Bit(symbols[i]);
    std::free(symbols);
    return frames.join(u"\n  "_s);
}

[[noreturn]] void onTerminate() {
    static std::atomic<bool> entered{false};
    if (!entered.exchange(true)) {
        if (const std::type_info* type = abi::__cxa_current_exception_type()) {
            writeFinalEntry(Level::Fault, u"CRASH exceção não capturada: "_s + exceptionName(*type) +
                                              u" — "_s + exceptionReason() + u"\n  "_s + callStackFrames());
        }
    }
    std::abort();
}

// ---- Fatal signals ----

// Everything the signal handler reads is built before the handlers are installed and never changes.
struct CrashLine {
    int signal = 0;
    char bytes[256] = {};
    size_t length = 0;
};

struct FatalSignal {
    int signal;
    const char* name; // UTF-8
};

constexpr FatalSignal fatalSignals[] = {
    {SIGSEGV, "SIGSEGV (acesso inválido de memória)"},
    {SIGABRT, "SIGABRT (abort)"},
    {SIGILL, "SIGILL (instrução ilegal)"},
    {SIGFPE, "SIGFPE (erro aritmético)"},
    {SIGBUS, "SIGBUS (erro de barramento)"},
    {SIGTRAP, "SIGTRAP (trap)"},
};
constexpr size_t fatalSignalCount = sizeof fatalSignals / sizeof fatalSignals[0];

char crashLogPath[PATH_MAX] = {}; // empty when the path does not fit: no crash line then
CrashLine signalLines[fatalSignalCount];
CrashLine unknownSignalLine;
alignas(16) char alternateStack[64 * 1024];

void buildCrashLine(CrashLine& into, int signal, const QString& signalText) {
    const QByteArray bytes =
        (u"[FAULT] crash por sinal "_s + signalText + QString::fromUtf8(crashReportHint) + u'\n').toUtf8();
    into.signal = signal;
    into.length = std::min(size_t(bytes.size()), sizeof into.bytes);
    std::memcpy(into.bytes, bytes.constData(), into.length);
}

void buildCrashData() {
    const QByteArray path = QFile::encodeName(Diagnostics::logFilePath());
    if (size_t(path.size()) < sizeof crashLogPath)
        std::memcpy(crashLogPath, path.constData(), size_t(path.size()) + 1);
    for (size_t i = 0; i < fatalSignalCount; ++i)
        buildCrashLine(signalLines[i], fatalSignals[i].signal, QString::fromUtf8(fatalSignals[i].name));
    buildCrashLine(unknownSignalLine, 0, QStringLiteral("desconhecido"));
}

// Only open, write, close, the reset of the action and raise: nothing that allocates or locks.
void onFatalSignal(int signal) {
    const CrashLine* line = &unknownSignalLine;
    for (const CrashLine& candidate : signalLines) {
        if (candidate.signal == signal)
            line = &candidate;
    }
    if (crashLogPath[0] != '\0') {
        const int fd = ::open(crashLogPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            writeAll(fd, line->bytes, line->length);
            ::close(fd);
        }
    }
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signal, &defaultAction, nullptr);
    ::raise(signal);
}

// A stack overflow leaves no stack for the handler, so it runs on its own. A stack already set up for
// this thread (by a sanitizer runtime, for instance) is kept.
void useAlternateSignalStack() {
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE))
        return;
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);
}

void installSignalHandlers() {
    useAlternateSignalStack();
    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const FatalSignal& fatal : fatalSignals)
        ::sigaction(fatal.signal, &action, nullptr);
}

// ---- Session start ----

QString orQuestionMark(const QString& value) {
    return value.isEmpty() ? QStringLiteral("?") : value;
}

QString applicationVersion() {
    const QString fromApplication = QCoreApplication::applicationVersion();
    if (!fromApplication.isEmpty())
        return fromApplication;
#ifdef TAVIMOR_VERSION
    return QStringLiteral(TAVIMOR_VERSION);
#else
    return {};
#endif
}

// Packagers may pass a build number with -DTAVIMOR_BUILD="...".
QString buildNumber() {
#ifdef TAVIMOR_BUILD
    return QStringLiteral(TAVIMOR_BUILD);
#else
    return {};
#endif
}

} // namespace

namespace Diagnostics {

using namespace Qt::StringLiterals;

void write(Level level, const QString& message, const QString& detail) {
    const QString text = detail.isEmpty() ? message : message + u" · "_s + detail;
    sendToSystemLog(level, text);
    LogWriter::instance().enqueue(QFile::encodeName(currentLogPath()), timedLine(label(level), text));
}

void degraded(const QString& component, const QString& reason, const QString& impact) {
    write(Level::Warn, u"["_s + component + u"] indisponível — "_s + reason, u"impacto: "_s + impact);
}

void restored(const QString& component, const QString& detail) {
    write(Level::Info, u"["_s + component + u"] disponível de novo"_s, detail);
}

void logSessionStart() {
    write(Level::Info,
          u"===== Tavimor "_s + orQuestionMark(applicationVersion()) + u" ("_s +
              orQuestionMark(buildNumber()) + u") iniciado ====="_s,
          QSysInfo::prettyProductName());
}

void flush() {
    LogWriter::instance().flush();
}

QString logFilePath() {
    const QString path = currentLogPath();
    createParentFolder(QFile::encodeName(path));
    return path;
}

void installCrashHandlers() {
    static std::atomic<bool> installed{false};
    if (installed.exchange(true))
        return;
    buildCrashData();
    std::set_terminate(onTerminate);
    installSignalHandlers();
    // A reader of standard output that went away must not end the process, as it would without a line.
    ::signal(SIGPIPE, SIG_IGN);
}

void setLogFilePathForTesting(const QString& path) {
    Settings& shared = settings();
    const std::lock_guard lock(shared.mutex);
    shared.logPathOverride = path;
}

void setSystemLogSinkForTesting(SystemLogSink sink) {
    Settings& shared = settings();
    const std::lock_guard lock(shared.mutex);
    shared.systemLog = std::move(sink);
}

} // namespace Diagnostics
