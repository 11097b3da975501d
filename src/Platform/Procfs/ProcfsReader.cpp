#include "Platform/Procfs/ProcfsReader.h"

#include <array>
#include <charconv>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The head of a file: /proc/stat's first line and meminfo's first lines fit in it.
constexpr std::size_t headSize = 1024;

QByteArray readHead(const QByteArray& path, std::array<char, headSize>& buffer) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    const ssize_t length = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    return length > 0 ? QByteArray::fromRawData(buffer.data(), qsizetype(length)) : QByteArray();
}

// Reads an unsigned number after optional blanks; advances past it.
std::optional<quint64> nextNumber(const char*& cursor, const char* end) {
    while (cursor < end && (*cursor == ' ' || *cursor == '\t'))
        ++cursor;
    quint64 value = 0;
    const auto [next, error] = std::from_chars(cursor, end, value);
    if (error != std::errc() || next == cursor)
        return std::nullopt;
    cursor = next;
    return value;
}

std::optional<quint64> meminfoValue(QByteArrayView text, QByteArrayView label) {
    qsizetype at = 0;
    while ((at = text.indexOf(label, at)) >= 0) {
        if (at == 0 || text.at(at - 1) == '\n') {
            const char* cursor = text.data() + at + label.size();
            const std::optional<quint64> kib = nextNumber(cursor, text.data() + text.size());
            if (!kib || *kib > std::numeric_limits<quint64>::max() / 1024)
                return std::nullopt;
            return *kib * 1024;
        }
        at += label.size();
    }
    return std::nullopt;
}

} // namespace

ProcfsReader::ProcfsReader(QString root)
    : m_statPath((root + QStringLiteral("/stat")).toLocal8Bit())
    , m_meminfoPath((root + QStringLiteral("/meminfo")).toLocal8Bit()) {}

std::optional<CpuTimes> ProcfsReader::cpuTimes() const {
    std::array<char, headSize> buffer;
    return parseStat(readHead(m_statPath, buffer));
}

std::optional<MemoryFigures> ProcfsReader::memory() const {
    std::array<char, headSize> buffer;
    return parseMeminfo(readHead(m_meminfoPath, buffer));
}

// "cpu  user nice system idle iowait irq softirq steal guest guest_nice": guest time is already part of
// user and nice, so only the first eight fields add up to the total.
std::optional<CpuTimes> ProcfsReader::parseStat(QByteArrayView text) {
    if (!text.startsWith("cpu "))
        return std::nullopt;
    const char* cursor = text.data() + 3;
    const char* end = text.data() + text.size();
    std::array<quint64, 8> fields{};
    std::size_t count = 0;
    for (; count < fields.size(); ++count) {
        const std::optional<quint64> value = nextNumber(cursor, end);
        if (!value)
            break;
        fields[count] = *value;
    }
    if (count < 4)
        return std::nullopt;
    quint64 total = 0;
    for (const quint64 field : fields)
        total += field;
    const quint64 idle = fields[3] + fields[4];
    return CpuTimes{total - idle, total};
}

std::optional<MemoryFigures> ProcfsReader::parseMeminfo(QByteArrayView text) {
    const auto total = meminfoValue(text, "MemTotal:");
    const auto available = meminfoValue(text, "MemAvailable:");
    if (!total || !available)
        return std::nullopt;
    return MemoryFigures{*total, *available, meminfoValue(text, "Cached:").value_or(0)};
}
