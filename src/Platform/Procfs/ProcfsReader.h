#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// Processor times of the first "cpu" line of /proc/stat, in clock ticks. iowait counts as idle.
struct CpuTimes {
    quint64 busy = 0;
    quint64 total = 0;
    bool operator==(const CpuTimes&) const = default;
};

// From /proc/meminfo, in bytes. Cached is the page cache.
struct MemoryFigures {
    quint64 total = 0;
    quint64 available = 0;
    quint64 cached = 0;
    bool operator==(const MemoryFigures&) const = default;
};

// Reads the processor and memory figures from a procfs tree (the real one at "/proc", or a copy in tests).
// Each read opens one small file and reads its head; nothing else.
class ProcfsReader {
public:
    explicit ProcfsReader(QString root = QStringLiteral("/proc"));

    std::optional<CpuTimes> cpuTimes() const;
    std::optional<MemoryFigures> memory() const;

    // None when the text lacks the "cpu" line, or MemTotal or MemAvailable.
    static std::optional<CpuTimes> parseStat(QByteArrayView text);
    static std::optional<MemoryFigures> parseMeminfo(QByteArrayView text);

private:
    QByteArray m_statPath;
    QByteArray m_meminfoPath;
};
