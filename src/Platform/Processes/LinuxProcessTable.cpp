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

// The command name of a process listening on TCP as the socket list gives it: lsof escapes control
// characters that /proc/<pid>/comm holds raw, so the name is compared in lsof's form.
std::optional<QString> listedCommandName(qint32 pid) {
    const auto output = LinuxProcessTable::runLsof(
        {QStringLiteral("-a"), QStringLiteral("-p"), QString::number(pid), QStringLiteral("-iTCP"),
         QStringLiteral("-sTCP:LISTEN"), QStringLiteral("-F"), QStringLiteral("c")});
    for (const QByteArray& line : output.value_or(QByteArray()).split('\n'))
        if (line.startsWith('c'))
            return QString::fromUtf8(line.mid(1));
    return std::nullopt;
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

std::optional<QString> LinuxProcessTable::workingDirectory(qint32 pid) const {
    const QString folder = QFile::symLinkTarget(QStringLiteral("/proc/%1/cwd").arg(pid));
    return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
}

bool LinuxProcessTable::terminate(qint32 pid, const QString& commandName) const {
    if (pid <= 0 || pid == getpid())
        return false;
    // Hold the process by a pidfd first: once held, its pid cannot be reused, so the name check stays true.
    const int pidfd = pidfd_open(pid, 0);
    if (pidfd < 0)
        return false;
    const bool sameProcess = listedCommandName(pid) == commandName;
    const bool sent = sameProcess && pidfd_send_signal(pidfd, SIGTERM, nullptr, 0) == 0;
    close(pidfd);
    return sent;
}
