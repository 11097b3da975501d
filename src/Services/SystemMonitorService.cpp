#include "Services/SystemMonitorService.h"

#include "Models/TavimorPreferences.h"
#include "Platform/Preferences/IPreferences.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

#include <algorithm>
#include <cmath>

#include <sys/statvfs.h>

namespace {

constexpr double gigabyte = 1024.0 * 1024.0 * 1024.0;

QString gigabytes(double bytes) {
    const double value = bytes / gigabyte;
    return QLocale().toString(value, 'f', value >= 100 ? 0 : 1);
}

QString percent(double fraction) {
    const double clamped = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    return QStringLiteral("%1%").arg(std::llround(clamped * 100));
}

const QString noFigure = QStringLiteral("—");

} // namespace

SystemMonitorService::SystemMonitorService(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(std::move(dependencies))
    , m_procfs(m_deps.procRoot)
    , m_diskPath(QFile::encodeName(m_deps.diskPath.isEmpty() ? QDir::homePath() : m_deps.diskPath))
    , m_monitoringEnabled(storedSwitch(monitoringKey, true))
    , m_clipboardEnabled(storedSwitch(clipboardEnabledKey, false))
    , m_history(storedHistory()) {
    m_timer.setInterval(samplingIntervalMs);
    connect(&m_timer, &AlignedTimer::timeout, this, &SystemMonitorService::updateMetrics);
}

void SystemMonitorService::setSystemMonitoringEnabled(bool enabled) {
    m_deps.preferences.setValue(QString::fromLatin1(monitoringKey), enabled);
    if (m_monitoringEnabled == enabled)
        return;
    m_monitoringEnabled = enabled;
    Q_EMIT isSystemMonitoringEnabledChanged();
    if (!m_running)
        return;
    if (enabled) {
        startSampling();
    } else {
        m_timer.stop();
        Q_EMIT timersChanged();
    }
}

void SystemMonitorService::setClipboardHistoryEnabled(bool enabled) {
    m_deps.preferences.setValue(QString::fromLatin1(clipboardEnabledKey), enabled);
    if (m_clipboardEnabled == enabled)
        return;
    m_clipboardEnabled = enabled;
    Q_EMIT isClipboardHistoryEnabledChanged();
    if (!m_running)
        return;
    if (enabled)
        startClipboardMonitoring();
    else
        stopClipboardMonitoring();
}

double SystemMonitorService::usedMemory() const {
    return double(m_memory->total - std::min(m_memory->available, m_memory->total));
}

double SystemMonitorService::memoryFraction() const {
    if (!m_memory || m_memory->total == 0)
        return 0;
    return usedMemory() / double(m_memory->total);
}

double SystemMonitorService::diskFraction() const {
    return m_diskTotal > 0 ? double(m_diskTotal - m_diskFree) / double(m_diskTotal) : 0;
}

QString SystemMonitorService::cpuText() const {
    return m_cpuUsage ? percent(*m_cpuUsage) : noFigure;
}

QString SystemMonitorService::memoryPercentText() const {
    return m_memory ? percent(memoryFraction()) : noFigure;
}

QString SystemMonitorService::memoryText() const {
    if (!m_memory)
        return noFigure;
    return QStringLiteral("%1 / %2 GB").arg(gigabytes(usedMemory()), gigabytes(double(m_memory->total)));
}

QString SystemMonitorService::cacheText() const {
    return m_memory ? QStringLiteral("%1 GB").arg(gigabytes(double(m_memory->cached))) : noFigure;
}

QString SystemMonitorService::diskText() const {
    if (m_diskTotal <= 0)
        return noFigure;
    return QStringLiteral("%1 / %2 GB")
        .arg(gigabytes(double(m_diskTotal - m_diskFree)), gigabytes(double(m_diskTotal)));
}

void SystemMonitorService::start() {
    m_running = true;
    if (m_monitoringEnabled)
        startSampling();
    if (m_clipboardEnabled)
        startClipboardMonitoring();
}

void SystemMonitorService::stop() {
    m_running = false;
    m_timer.stop();
    stopClipboardMonitoring();
    Q_EMIT timersChanged();
}

void SystemMonitorService::startSampling() {
    updateMetrics();
    m_timer.start();
    Q_EMIT timersChanged();
}

void SystemMonitorService::updateMetrics() {
    const std::optional<CpuTimes> cpu = m_procfs.cpuTimes();
    std::optional<double> usage;
    if (cpu && m_lastCpu && cpu->total > m_lastCpu->total && cpu->busy >= m_lastCpu->busy)
        usage = double(cpu->busy - m_lastCpu->busy) / double(cpu->total - m_lastCpu->total);
    else if (cpu && m_lastCpu && m_cpuUsage && cpu->total == m_lastCpu->total)
        usage = m_cpuUsage; // no tick passed: keep the last figure
    m_lastCpu = cpu;
    const std::optional<MemoryFigures> memory = m_procfs.memory();
    // One statvfs call: the storage info classes would read the whole mount table at every sample.
    struct statvfs disk {};
    const bool hasDisk = ::statvfs(m_diskPath.constData(), &disk) == 0;
    const qint64 diskTotal = hasDisk ? qint64(disk.f_blocks) * qint64(disk.f_frsize) : 0;
    const qint64 diskFree = hasDisk ? qint64(disk.f_bavail) * qint64(disk.f_frsize) : 0;

    if (usage == m_cpuUsage && memory == m_memory && diskTotal == m_diskTotal && diskFree == m_diskFree)
        return;
    m_cpuUsage = usage;
    m_memory = memory;
    m_diskTotal = diskTotal;
    m_diskFree = diskFree;
    Q_EMIT metricsChanged();
}

// What the clipboard holds when watching starts goes into the history too.
void SystemMonitorService::startClipboardMonitoring() {
    if (!m_deps.clipboard || m_clipboardWatch)
        return;
    m_clipboardWatch =
        connect(m_deps.clipboard, &IClipboard::changed, this, &SystemMonitorService::pollClipboard);
    Q_EMIT timersChanged();
    pollClipboard();
}

void SystemMonitorService::stopClipboardMonitoring() {
    if (!m_clipboardWatch)
        return;
    disconnect(m_clipboardWatch);
    m_clipboardWatch = {};
    Q_EMIT timersChanged();
}

void SystemMonitorService::pollClipboard() {
    if (!m_deps.clipboard)
        return;
    const quint64 change = m_deps.clipboard->changeCount();
    if (change == m_seenClipboardChange)
        return;
    m_seenClipboardChange = change;
    const std::optional<ClipboardText> content = m_deps.clipboard->text();
    if (content && !content->secret)
        remember(content->text);
}

void SystemMonitorService::copyEntry(int index) {
    if (m_deps.clipboard && index >= 0 && index < m_history.size())
        m_deps.clipboard->setText(m_history.at(index));
}

void SystemMonitorService::clearClipboardHistory() {
    setHistory({});
}

void SystemMonitorService::remember(const QString& text) {
    if (text.trimmed().isEmpty() || text.size() > entryLimit)
        return;
    QStringList history = m_history;
    history.removeAll(text);
    history.prepend(text);
    setHistory(history.mid(0, historyLimit));
}

void SystemMonitorService::setHistory(QStringList history) {
    if (history == m_history)
        return;
    m_history = std::move(history);
    const QJsonDocument document(QJsonArray::fromStringList(m_history));
    m_deps.preferences.setValue(QString::fromLatin1(historyKey), document.toJson(QJsonDocument::Compact));
    Q_EMIT clipboardHistoryChanged();
}

// A stored history that is not a JSON array of texts is read as empty; oversized entries are dropped.
QStringList SystemMonitorService::storedHistory() const {
    const QJsonDocument document =
        QJsonDocument::fromJson(m_deps.preferences.value(QString::fromLatin1(historyKey)).toByteArray());
    QStringList history;
    for (const QJsonValue& entry : document.array()) {
        if (entry.isString() && !entry.toString().trimmed().isEmpty() &&
            entry.toString().size() <= entryLimit && !history.contains(entry.toString()))
            history.append(entry.toString());
    }
    return history.mid(0, historyLimit);
}

bool SystemMonitorService::storedSwitch(const char* key, bool fallback) const {
    return TavimorPreferences::intValue(m_deps.preferences, QString::fromLatin1(key), fallback ? 1 : 0) != 0;
}
