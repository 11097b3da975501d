#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include "Models/SettingsStore.h"

class NotificationCenter;

// The breaks, blink and posture section of the settings window: reads and writes the reminder preferences
// through the settings store (which holds their defaults, ranges and notifications) and asks for previews.
class HealthSettingsModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool remindersPaused READ remindersPaused WRITE setRemindersPaused NOTIFY pauseChanged)
    Q_PROPERTY(bool breakEnabled READ breakEnabled WRITE setBreakEnabled NOTIFY breakChanged)
    Q_PROPERTY(
        int breakWorkIntervalMin READ breakWorkIntervalMin WRITE setBreakWorkIntervalMin NOTIFY breakChanged)
    Q_PROPERTY(int breakDurationSec READ breakDurationSec WRITE setBreakDurationSec NOTIFY breakChanged)
    Q_PROPERTY(int breakSnoozes READ breakSnoozes WRITE setBreakSnoozes NOTIFY breakChanged)
    Q_PROPERTY(bool breakStrict READ breakStrict WRITE setBreakStrict NOTIFY breakChanged)
    Q_PROPERTY(bool blinkEnabled READ blinkEnabled WRITE setBlinkEnabled NOTIFY blinkChanged)
    Q_PROPERTY(int blinkIntervalMin READ blinkIntervalMin WRITE setBlinkIntervalMin NOTIFY blinkChanged)
    Q_PROPERTY(QString blinkPosition READ blinkPosition WRITE setBlinkPosition NOTIFY blinkChanged)
    Q_PROPERTY(QString blinkSize READ blinkSize WRITE setBlinkSize NOTIFY blinkChanged)
    Q_PROPERTY(bool postureEnabled READ postureEnabled WRITE setPostureEnabled NOTIFY postureChanged)
    Q_PROPERTY(
        int postureIntervalMin READ postureIntervalMin WRITE setPostureIntervalMin NOTIFY postureChanged)
    Q_PROPERTY(QString posturePosition READ posturePosition WRITE setPosturePosition NOTIFY postureChanged)
    Q_PROPERTY(QString postureSize READ postureSize WRITE setPostureSize NOTIFY postureChanged)
    Q_PROPERTY(QVariantList positions READ positions CONSTANT)
    Q_PROPERTY(QVariantList sizes READ sizes CONSTANT)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)
    // Each integer property's name to its {minimum, maximum}, the range its stepper offers.
    Q_PROPERTY(QVariantMap ranges READ ranges CONSTANT)

public:
    HealthSettingsModel(IPreferences& preferences, NotificationCenter& notifications,
                        QObject* parent = nullptr);

    bool remindersPaused() const { return m_store.flagValue(QStringLiteral("tavimor.remindersPaused")); }
    bool breakEnabled() const { return m_store.flagValue(QStringLiteral("tavimor.breakEnabled")); }
    int breakWorkIntervalMin() const {
        return m_store.integerValue(QStringLiteral("tavimor.breakWorkIntervalMin"));
    }
    int breakDurationSec() const { return m_store.integerValue(QStringLiteral("tavimor.breakDurationSec")); }
    int breakSnoozes() const { return m_store.integerValue(QStringLiteral("tavimor.breakSnoozes")); }
    bool breakStrict() const { return m_store.flagValue(QStringLiteral("tavimor.breakStrict")); }
    bool blinkEnabled() const { return m_store.flagValue(QStringLiteral("tavimor.blinkEnabled")); }
    int blinkIntervalMin() const { return m_store.integerValue(QStringLiteral("tavimor.blinkIntervalMin")); }
    QString blinkPosition() const { return m_store.textValue(QStringLiteral("tavimor.blinkPosition")); }
    QString blinkSize() const { return m_store.textValue(QStringLiteral("tavimor.blinkSize")); }
    bool postureEnabled() const { return m_store.flagValue(QStringLiteral("tavimor.postureEnabled")); }
    int postureIntervalMin() const {
        return m_store.integerValue(QStringLiteral("tavimor.postureIntervalMin"));
    }
    QString posturePosition() const { return m_store.textValue(QStringLiteral("tavimor.posturePosition")); }
    QString postureSize() const { return m_store.textValue(QStringLiteral("tavimor.postureSize")); }
    QVariantList positions() const;
    QVariantList sizes() const;
    QVariantMap texts() const;
    static QVariantMap ranges();

    void setRemindersPaused(bool on) { m_store.setFlagValue(QStringLiteral("tavimor.remindersPaused"), on); }
    void setBreakEnabled(bool on) { m_store.setFlagValue(QStringLiteral("tavimor.breakEnabled"), on); }
    void setBreakWorkIntervalMin(int minutes) {
        m_store.setIntegerValue(QStringLiteral("tavimor.breakWorkIntervalMin"), minutes);
    }
    void setBreakDurationSec(int seconds) {
        m_store.setIntegerValue(QStringLiteral("tavimor.breakDurationSec"), seconds);
    }
    void setBreakSnoozes(int count) {
        m_store.setIntegerValue(QStringLiteral("tavimor.breakSnoozes"), count);
    }
    void setBreakStrict(bool on) { m_store.setFlagValue(QStringLiteral("tavimor.breakStrict"), on); }
    void setBlinkEnabled(bool on) { m_store.setFlagValue(QStringLiteral("tavimor.blinkEnabled"), on); }
    void setBlinkIntervalMin(int minutes) {
        m_store.setIntegerValue(QStringLiteral("tavimor.blinkIntervalMin"), minutes);
    }
    void setBlinkPosition(const QString& raw) {
        m_store.setTextValue(QStringLiteral("tavimor.blinkPosition"), raw);
    }
    void setBlinkSize(const QString& raw) { m_store.setTextValue(QStringLiteral("tavimor.blinkSize"), raw); }
    void setPostureEnabled(bool on) { m_store.setFlagValue(QStringLiteral("tavimor.postureEnabled"), on); }
    void setPostureIntervalMin(int minutes) {
        m_store.setIntegerValue(QStringLiteral("tavimor.postureIntervalMin"), minutes);
    }
    void setPosturePosition(const QString& raw) {
        m_store.setTextValue(QStringLiteral("tavimor.posturePosition"), raw);
    }
    void setPostureSize(const QString& raw) {
        m_store.setTextValue(QStringLiteral("tavimor.postureSize"), raw);
    }

    Q_INVOKABLE void previewBreak();
    Q_INVOKABLE void previewBlink();
    Q_INVOKABLE void previewPosture();

Q_SIGNALS:
    void pauseChanged();
    void breakChanged();
    void blinkChanged();
    void postureChanged();

private:
    void onValueChanged(const QString& key);

    SettingsStore m_store;
    NotificationCenter& m_notifications;
};
