#pragma once

#include "Platform/Preferences/IPreferences.h"

#include <QHash>

// The preferences store on disk: one JSON file whose entries carry their type (bool, integer, double, text,
// list of texts, bytes), so every value comes back as it was written after a restart. Each change rewrites
// the whole file atomically. A file that cannot be read as ours is treated as empty and left untouched; the
// first write then moves it aside to "<file>.corrupt-<UTC timestamp>" instead of replacing it.
class JsonPreferences final : public IPreferences {
    Q_OBJECT
public:
    explicit JsonPreferences(const QString& filePath, QObject* parent = nullptr);
    explicit JsonPreferences(QObject* parent = nullptr); // AppPaths::preferencesFile()

    bool contains(const QString& key) const override { return values.contains(key); }
    QVariant value(const QString& key) const override { return values.value(key); }
    // Accepts bool, the integer types, float and double, text, a list of texts (also as a list of strings
    // from QML) and bytes; an invalid QVariant removes the key. Other types are refused with a warning.
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;

    QString filePath() const { return path; }

private:
    void load();
    void save();
    bool moveUnreadableOriginalAside();

    QString path;
    QHash<QString, QVariant> values;
    bool originalNeedsKeepingAside = false;
};
