#include "Platform/Session/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString lockFilePath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime))
        return QDir(runtime).filePath(QStringLiteral("tavimor.lock"));
    return QDir::temp().filePath(QStringLiteral("tavimor-%1.lock").arg(::getuid()));
}

} // namespace

SingleInstance::SingleInstance(const QDBusConnection& bus) {
    m_first = bus.isConnected() && bus.interface() ? ownBusName(bus) : lockRuntimeFile();
}

SingleInstance::~SingleInstance() {
    if (m_lockFile >= 0)
        ::close(m_lockFile);
}

// A bus that answers with an error cannot tell: the lock file decides then.
bool SingleInstance::ownBusName(const QDBusConnection& bus) {
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        busName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        return lockRuntimeFile();
    return reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

// A lock nobody can take (no writable runtime folder) does not keep the application from starting, nor does
// a lock file that is not this user's own: in a shared temporary folder anyone may have made it first.
bool SingleInstance::lockRuntimeFile() {
    const int fd = ::open(QFile::encodeName(lockFilePath()).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(fd);
        return true;
    }
    m_lockFile = fd;
    return ::flock(m_lockFile, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}
