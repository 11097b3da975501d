#include "Platform/Processes/LinuxProcessTable.h"

#include "Foundation/SystemProgram.h"

#include <QFile>
#include <QProcess>

#include <csignal>
extern "C" { // glibc 2.36's header declares these without C linkage for C++
#include <sys/pidfd.h>
}
#include <unistd.h>

namespace {

constexpr int lsofTimeoutMs = 15000;

// The kernel's command name of a live process (at most 15 characters), or none.
std::optional<QString> commandNameOf(qint32 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString name = QString::fromUtf8(comm.readAll());
    if (name.endsWith(QLatin1Char('\n')))
        name.chop(1);
    return name;
}

} // namespace

QString LinuxProcessTable::lsofPath() {
    return systemProgram(QStringLiteral("lsof"));
}

std::optional<QByteArray> LinuxProcessTable::runLsof(const QStringList& arguments) {
    const QString program = lsofPath();
    if (program.isEmpty())
        return std::nullopt;
    QProcess lsof;
    lsof.setStandardErrorFile(QProcess::nullDevice());
    lsof.start(program, arguments, QIODevice::ReadOnly);
    if (!lsof.waitForStarted())
        return std::nullopt;
    if (!lsof.waitForFinished(lsofTimeoutMs)) {
        lsof.kill();
        lsof.waitForFinished();
    }
    return lsof.readAllStandardOutput();
}

std::optional<QByteArray> LinuxProcessTable::listeningSockets() const {
    return runLsof({QStringLiteral("-iTCP"), QStringLiteral("-sTCP:LISTEN"), QStringLiteral("-P"),
                    QStringLiteral("-n"), QStringLiteral("-F"), QStringLiteral("pcn")});
}

std::optional<QByteArray> LinuxProcessTable::workingDirectory(qint32 pid) const {
    return runLsof({QStringLiteral("-a"), QStringLiteral("-p"), QString::number(pid), QStringLiteral("-d"),
                    QStringLiteral("cwd"), QStringLiteral("-Fn")});
}

bool LinuxProcessTable::terminate(qint32 pid, const QString& commandName) const {
    if (pid <= 0 || pid == getpid())
        return false;
    // Hold the process by a pidfd first: once held, its pid cannot be reused, so the name check stays true.
    const int pidfd = pidfd_open(pid, 0);
    if (pidfd < 0)
        return false;
    const bool sameProcess = commandNameOf(pid) == commandName;
    const bool sent = sameProcess && pidfd_send_signal(pidfd, SIGTERM, nullptr, 0) == 0;
    close(pidfd);
    return sent;
}
