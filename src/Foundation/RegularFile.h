#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file whose path comes from outside (a drop, a folder others write to, the user's settings), opened only
// when it is a regular file: the open never blocks on a FIFO, and a device or a folder is refused instead of
// read or written without end. Symbolic links are followed; what they lead to is checked.
class RegularFile {
public:
    // `append` opens for reading and appending, creating a missing file (mode 0644).
    enum class Mode { read, append };

    explicit RegularFile(const QString& path, Mode mode = Mode::read);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool exists() const { return m_exists; }
    // Why the file is not open, for a diagnostic.
    QString error() const { return m_error; }
    qint64 size() const { return m_size; }
    // Whether the append open made the file.
    bool wasCreated() const { return m_created; }

    // Up to `maxBytes` from the current position; nothing on a read error.
    std::optional<QByteArray> read(qint64 maxBytes);
    // The file's last byte; nothing when it is empty or unreadable.
    std::optional<char> lastByte() const;
    // Writes all of `bytes` at the end of the file (append mode only).
    bool append(const QByteArray& bytes);

private:
    int m_fd = -1;
    bool m_exists = true;
    bool m_created = false;
    qint64 m_size = 0;
    QString m_error;
};

// The whole regular file at `path` when it holds at most `limit` bytes; nothing otherwise.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit);

// Copies the regular file `source` to `target`, which must not exist yet; anything else is not copied.
bool copyRegularFile(const QString& source, const QString& target);
