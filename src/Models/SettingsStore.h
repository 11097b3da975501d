#pragma once

#include "Models/ReminderSchedule.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <span>

class IPreferences;
class NotificationCenter;

// What the settings window writes: every key with its raw values and default, integers clamped to the
// range their readers work in, and the notification that follows each write (only a write that changes
// the stored value is made and announced). The general section's view model; the other sections write
// through it too.
class SettingsStore : public QObject {
    Q_OBJECT
    // The mode the panel shows: "liquid" when that is stored, else "dark".
    Q_PROPERTY(QString selectedMode READ selectedMode NOTIFY appearanceModeChanged)
    Q_PROPERTY(bool notesEnabled READ notesEnabled WRITE setNotesEnabled NOTIFY notesEnabledChanged)
    // The general section's own texts: appearanceTitle, notesTitle, notesSwitch, notesDetail.
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    struct IntegerKey {
        const ReminderSchedule::Setting& setting;
        const QString& notification;
    };
    struct FlagKey {
        const char* key;
        const QString& notification;
    };
    struct TextKey {
        const char* key;
        const char* defaultValue;
        std::span<const char* const> rawValues;
        const QString& notification;
    };

    static constexpr const char* notesEnabledKey = "tavimor.notesEnabled";

    static const IntegerKey* integerKey(const QString& key);
    // The notification a write of the key is followed by; empty for keys written elsewhere.
    static QString notificationOf(const QString& key);

    explicit SettingsStore(IPreferences& preferences, QObject* parent = nullptr);
    SettingsStore(IPreferences& preferences, NotificationCenter& notifications, QObject* parent = nullptr);

    QString selectedMode() const;
    // Writes a known mode's raw value; other texts are ignored.
    Q_INVOKABLE void setAppearanceMode(const QString& raw);

    static QVariantMap texts();

    bool notesEnabled() const;
    void setNotesEnabled(bool enabled);

    // The stored integer within its range, or the default when absent. Unknown keys give 0.
    Q_INVOKABLE int integerValue(const QString& key) const;
    Q_INVOKABLE void setIntegerValue(const QString& key, int value);
    // The stored raw value when it is one of the key's values, else the default. Unknown keys give "".
    Q_INVOKABLE QString textValue(const QString& key) const;
    Q_INVOKABLE void setTextValue(const QString& key, const QString& raw);
    // Switches stored as booleans; absent means off.
    bool flagValue(const QString& key) const;
    void setFlagValue(const QString& key, bool on);

Q_SIGNALS:
    void appearanceModeChanged();
    void notesEnabledChanged();
    void valueChanged(const QString& key);

private:
    void onPreferenceChanged(const QString& key);
    void write(const QString& key, const QVariant& value, const QString& notification);

    IPreferences& m_preferences;
    NotificationCenter& m_notifications;
};
