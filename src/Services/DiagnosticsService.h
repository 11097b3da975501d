#pragma once

#include <QString>

#include <functional>

// The application's own log. Every entry goes to the system log (syslog, hence the journal) and, as one
// text line, to tavimor.log in the XDG state folder, so that a user can hand the file over when something
// fails. The crash handlers leave a last line in the same file when the process dies from an uncaught
// exception or a fatal signal.
//
// Line formats (times are ISO-8601 in UTC with milliseconds, e.g. 2026-03-01T12:34:56.789Z):
//   <time> [INFO] message · detail          (" · " and the detail only when the detail is not empty)
//   <time> [INFO] --- log truncado em 512 KB ---
//   <time> [FAULT] CRASH exceção não capturada: <type> — <reason>, then up to 24 frames indented by two
//   [FAULT] crash por sinal SIGSEGV (acesso inválido de memória) — ver ...   (no time: a signal handler)
namespace Diagnostics {

enum class Level { Info, Warn, Error, Fault };

// Logs one entry. Callable from any thread; returns at once. File appends happen on one worker thread,
// in call order.
void write(Level level, const QString& message, const QString& detail = {});

// A feature that cannot work on this system: "[component] indisponível — reason" · "impacto: impact".
void degraded(const QString& component, const QString& reason, const QString& impact);

// A feature reported unavailable works again: "[component] disponível de novo" · detail.
void restored(const QString& component, const QString& detail);

// "===== Tavimor <version> (<build>) iniciado =====" · the operating system's name and version.
void logSessionStart();

// Blocks until every entry written so far is in the file. Also runs at process exit.
void flush();

// The log file; creates its folder when needed.
QString logFilePath();

// Installs the handlers for fatal signals and uncaught exceptions, and ignores SIGPIPE; later calls do
// nothing. An uncaught exception first writes what is queued, so its entry is the last line. Call it first
// thing in main, on the main thread: that thread gets the alternate signal stack that lets a stack overflow
// still be recorded. The log path is fixed at installation, since the signal handler cannot compute it.
void installCrashHandlers();

// For tests: another log file (an empty path restores the default) and another system-log sink (an empty
// sink switches the system log off).
using SystemLogSink = std::function<void(Level level, const QString& text)>;
void setLogFilePathForTesting(const QString& path);
void setSystemLogSinkForTesting(SystemLogSink sink);

} // namespace Diagnostics
