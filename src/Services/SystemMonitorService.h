#pragma once

#include "Foundation/AlignedTimer.h"
#include "Platform/Clipboard/IClipboard.h"
#include "Platform/Procfs/ProcfsReader.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

class IPreferences;

// The system tab's figures: processor load, memory, page cache and the home folder's disk, sampled every
// 2 s while monitoring is on; and, while it is on, a history of the texts copied to the clipboard, read when
// the clipboard reports a change, newest first, kept across restarts. Texts their owner marks as secret are
// never kept.
class SystemMonitorService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isSystemMonitoringEnabled READ isSystemMonitoringEnabled WRITE setSystemMonitoringEnabled
                   NOTIFY isSystemMonitoringEnabledChanged)
    Q_PROPERTY(bool isClipboardHistoryEnabled READ isClipboardHistoryEnabled WRITE setClipboardHistoryEnabled
                   NOTIFY isClipboardHistoryEnabledChanged)
    Q_PROPERTY(bool hasCpuUsage READ hasCpuUsage NOTIFY metricsChanged)
    Q_PROPERTY(double cpuUsage READ cpuUsage NOTIFY metricsChanged)
    Q_PROPERTY(double memoryFraction READ memoryFraction NOTIFY metricsChanged)
    Q_PROPERTY(double diskFraction READ diskFraction NOTIFY metricsChanged)
    Q_PROPERTY(QString cpuText READ cpuText NOTIFY metricsChanged)
    Q_PROPERTY(QString memoryPercentText READ memoryPercentText NOTIFY metricsChanged)
    Q_PROPERTY(QString memoryText READ memoryText NOTIFY metricsChanged)
    Q_PROPERTY(QString cacheText READ cacheText NOTIFY metricsChanged)
    Q_PROPERTY(QString diskText READ diskText NOTIFY metricsChanged)
    Q_PROPERTY(QStringList clipboardHistory READ clipboardHistory NOTIFY clipboardHistoryChanged)
    Q_PROPERTY(bool isSampling READ isSampling NOTIFY timersChanged)
    Q_PROPERTY(bool isWatchingClipboard READ isWatchingClipboard NOTIFY timersChanged)

public:
    static constexpr int samplingIntervalMs = 2000;
    static constexpr int historyLimit = 20;
    static constexpr int entryLimit = 10000; // characters; longer texts are not kept
    static constexpr const char* monitoringKey = "tavimor.systemMonitoringEnabled";
    static constexpr const char* clipboardEnabledKey = "tavimor.clipboardHistoryEnabled";
    static constexpr const char* historyKey = "tavimor.clipboardHistoryData";

    struct Dependencies {
        IPreferences& preferences;
        IClipboard* clipboard = nullptr; // no history without one
        QString procRoot = QStringLiteral("/proc");
        QString diskPath; // the home folder when empty
    };

    explicit SystemMonitorService(Dependencies dependencies, QObject* parent = nullptr);

    bool isSystemMonitoringEnabled() const { return m_monitoringEnabled; }
    bool isClipboardHistoryEnabled() const { return m_clipboardEnabled; }
    // Persist the switch, and start or stop its timer while the service runs.
    void setSystemMonitoringEnabled(bool enabled);
    void setClipboardHistoryEnabled(bool enabled);

    bool hasCpuUsage() const { return m_cpuUsage.has_value(); }
    double cpuUsage() const { return m_cpuUsage.value_or(0); } // 0...1
    double memoryFraction() const;
    double diskFraction() const;
    QString cpuText() const;
    QString memoryPercentText() const;
    QString memoryText() const;
    QString cacheText() const;
    QString diskText() const;
    QStringList clipboardHistory() const { return m_history; }
    bool isSampling() const { return m_timer.isActive(); }
    bool isWatchingClipboard() const { return bool(m_clipboardWatch); }

    // The widget's hooks: sampling once and then every 2 s when monitoring is on, and watching the clipboard
    // when its history is on; stop ends both.
    void start();
    void stop();

    Q_INVOKABLE void updateMetrics();
    // Reads the clipboard into the history when it changed since the last look.
    Q_INVOKABLE void pollClipboard();
    // Puts a history entry back on the clipboard.
    Q_INVOKABLE void copyEntry(int index);
    Q_INVOKABLE void clearClipboardHistory();

Q_SIGNALS:
    void isSystemMonitoringEnabledChanged();
    void isClipboardHistoryEnabledChanged();
    void metricsChanged();
    void clipboardHistoryChanged();
    void timersChanged();

private:
    void startSampling();
    void startClipboardMonitoring();
    void stopClipboardMonitoring();
    double usedMemory() const; // bytes in use; needs a memory reading
    void remember(const QString& text);
    void setHistory(QStringList history);
    QStringList storedHistory() const;
    bool storedSwitch(const char* key, bool fallback) const;

    Dependencies m_deps;
    ProcfsReader m_procfs;
    QByteArray m_diskPath;
    AlignedTimer m_timer;
    QMetaObject::Connection m_clipboardWatch;
    bool m_running = false;
    bool m_monitoringEnabled;
    bool m_clipboardEnabled;

    std::optional<CpuTimes> m_lastCpu;
    std::optional<double> m_cpuUsage;
    std::optional<MemoryFigures> m_memory;
    qint64 m_diskTotal = 0;
    qint64 m_diskFree = 0;

    quint64 m_seenClipboardChange = 0;
    QStringList m_history;
};
