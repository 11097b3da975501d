#pragma once

#include "Foundation/DegradedReporter.h"
#include "Platform/Preferences/IPreferences.h"

#include <QHash>
#include <QSet>
#include <QTimer>

#include <optional>

// The preferences store on disk: one JSON file whose entries carry their type (bool, integer, double, text,
// list of texts, bytes), so every value comes back as it was written after a restart. Changes are written
// together, the whole file atomically, half a second after the last one and when the object goes away (at
// quit). A write that fails is reported once per cause and tried again with the next change.
//
// A file that was read but is not ours is treated as empty and left untouched; the first write then moves it
// aside to "<file>.corrupt-<UTC timestamp>" instead of replacing it. A file that exists but cannot be read is
// never written over: changes stay in memory for the session. So is anything but a regular file of at most
// `maxFileBytes` (a FIFO, a device), which is never opened for a blocking read.
class JsonPreferences final : public IPreferences {
    Q_OBJECT
public:
    static constexpr int writeDelayMs = 500;
    static constexpr qint64 maxFileBytes = 4 * 1024 * 1024;

    // Problems go to `report` (the diagnostics log); without one, to qWarning.
    explicit JsonPreferences(const QString& filePath, DegradedReporter report = {},
                             QObject* parent = nullptr);
    explicit JsonPreferences(DegradedReporter report = {}, QObject* parent = nullptr); // AppPaths' file
    ~JsonPreferences() override;

    bool contains(const QString& key) const override { return values.contains(key); }
    QVariant value(const QString& key) const override { return values.value(key); }
    // Accepts bool, the integer types, float and double, text, a list of texts (also as a list of strings
    // from QML) and bytes; an invalid QVariant removes the key. Other types are refused with a warning.
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;

    QString filePath() const { return path; }
    // Writes the changes not yet written, now.
    void flush();

private:
    void load();
    void scheduleWrite();
    // The reason the file could not be written, or nothing.
    std::optional<QString> write();
    std::optional<QString> moveUnreadableOriginalAside();
    void reportOnce(const QString& reason, const QString& impact);

    QString path;
    DegradedReporter report;
    QHash<QString, QVariant> values;
    QTimer writeTimer;
    QSet<QString> reportedReasons;
    bool unwritten = false;
    bool originalNeedsKeepingAside = false;
    bool originalUnreadable = false;
};
