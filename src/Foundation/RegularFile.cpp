#include "Foundation/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 copyChunkBytes = 1 << 20;
// No open waits for a FIFO's other end, and none makes a terminal the controlling one.
constexpr int outsideOpenFlags = O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

// Opens `path` for reading and appending, making it when missing; `created` tells which happened.
int openForAppend(const QByteArray& path, bool& created) {
    const int made = ::open(path.constData(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | outsideOpenFlags, 0644);
    created = made >= 0;
    if (made >= 0 || errno != EEXIST)
        return made;
    return ::open(path.constData(), O_RDWR | O_APPEND | outsideOpenFlags);
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        written += done;
    }
    return true;
}

} // namespace

RegularFile::RegularFile(const QString& path, Mode mode) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = mode == Mode::append ? openForAppend(name, m_created)
                                        : ::open(name.constData(), O_RDONLY | outsideOpenFlags);
    if (fd < 0) {
        m_exists = errno != ENOENT && errno != ENOTDIR;
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_error = QStringLiteral("não é um arquivo comum");
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = info.st_size;
}

RegularFile::~RegularFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<QByteArray> RegularFile::read(qint64 maxBytes) {
    if (m_fd < 0)
        return std::nullopt;
    QByteArray bytes(std::min(maxBytes, std::max<qint64>(m_size, 0) + 1), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < maxBytes) {
        if (filled == bytes.size())
            bytes.resize(std::min(maxBytes, bytes.size() * 2));
        const ssize_t got = ::read(m_fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
}

std::optional<char> RegularFile::lastByte() const {
    char byte = 0;
    if (m_fd < 0 || m_size <= 0)
        return std::nullopt;
    ssize_t got;
    do
        got = ::pread(m_fd, &byte, 1, off_t(m_size - 1));
    while (got < 0 && errno == EINTR);
    return got == 1 ? std::optional(byte) : std::nullopt;
}

bool RegularFile::append(const QByteArray& bytes) {
    return m_fd >= 0 && writeAll(m_fd, bytes);
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit) {
    RegularFile file(path);
    if (!file.isOpen() || file.size() > limit)
        return std::nullopt;
    auto bytes = file.read(limit + 1);
    if (bytes && bytes->size() > limit) // grew while being read
        return std::nullopt;
    return bytes;
}

bool copyRegularFile(const QString& source, const QString& target) {
    RegularFile from(source);
    if (!from.isOpen())
        return false;
    const int to =
        ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (to < 0)
        return false;
    bool copied = true;
    for (;;) {
        const auto chunk = from.read(copyChunkBytes);
        if (!chunk || !writeAll(to, *chunk)) {
            copied = false;
            break;
        }
        if (chunk->size() < copyChunkBytes)
            break;
    }
    copied = ::close(to) == 0 && copied;
    if (!copied)
        QFile::remove(target);
    else
        QFile::setPermissions(target, QFile::permissions(source));
    return copied;
}
