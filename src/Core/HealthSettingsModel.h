#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class IPreferences;
class NotificationCenter;

// The breaks, blink and posture section of the settings window: reads and writes the reminder preferences
// within the ranges the section offers, tells the reminder services after each write, and asks for previews.
class HealthSettingsModel final : public QObject {
    Q_OBJECT
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

public:
    // A stored integer and the range the section offers for it.
    struct IntegerSetting {
        const char* key;
        int defaultValue;
        int minimum;
        int maximum;
    };
    static const IntegerSetting workInterval, breakDuration, snoozes, blinkInterval, postureInterval;

    HealthSettingsModel(IPreferences& preferences, NotificationCenter& notifications,
                        QObject* parent = nullptr);

    bool breakEnabled() const { return flag("tavimor.breakEnabled"); }
    int breakWorkIntervalMin() const { return integer(workInterval); }
    int breakDurationSec() const { return integer(breakDuration); }
    int breakSnoozes() const { return integer(snoozes); }
    bool breakStrict() const { return flag("tavimor.breakStrict"); }
    bool blinkEnabled() const { return flag("tavimor.blinkEnabled"); }
    int blinkIntervalMin() const { return integer(blinkInterval); }
    QString blinkPosition() const;
    QString blinkSize() const;
    bool postureEnabled() const { return flag("tavimor.postureEnabled"); }
    int postureIntervalMin() const { return integer(postureInterval); }
    QString posturePosition() const;
    QString postureSize() const;
    QVariantList positions() const;
    QVariantList sizes() const;
    QVariantMap texts() const;

    void setBreakEnabled(bool on) { setFlag("tavimor.breakEnabled", on, Area::breaks); }
    void setBreakWorkIntervalMin(int minutes) { setInteger(workInterval, minutes, Area::breaks); }
    void setBreakDurationSec(int seconds) { setInteger(breakDuration, seconds, Area::breaks); }
    void setBreakSnoozes(int count) { setInteger(snoozes, count, Area::breaks); }
    void setBreakStrict(bool on) { setFlag("tavimor.breakStrict", on, Area::breaks); }
    void setBlinkEnabled(bool on) { setFlag("tavimor.blinkEnabled", on, Area::blink); }
    void setBlinkIntervalMin(int minutes) { setInteger(blinkInterval, minutes, Area::blink); }
    void setBlinkPosition(const QString& raw);
    void setBlinkSize(const QString& raw);
    void setPostureEnabled(bool on) { setFlag("tavimor.postureEnabled", on, Area::posture); }
    void setPostureIntervalMin(int minutes) { setInteger(postureInterval, minutes, Area::posture); }
    void setPosturePosition(const QString& raw);
    void setPostureSize(const QString& raw);

    Q_INVOKABLE void previewBreak();
    Q_INVOKABLE void previewBlink();
    Q_INVOKABLE void previewPosture();

Q_SIGNALS:
    void breakChanged();
    void blinkChanged();
    void postureChanged();

private:
    enum class Area { breaks, blink, posture };

    bool flag(const char* key) const;
    int integer(const IntegerSetting& setting) const;
    void setFlag(const char* key, bool on, Area area);
    void setInteger(const IntegerSetting& setting, int value, Area area);
    void write(const char* key, const QVariant& value, Area area);

    IPreferences& m_preferences;
    NotificationCenter& m_notifications;
};
