#pragma once

#include "Theme/TavimorAppearanceMode.h"

#include <QObject>
#include <QString>
#include <QStringList>

class IPreferences;

// The stored appearance mode as observable properties: the "Appearance" singleton of the views. Both
// properties follow "tavimor.appearanceMode" and notify only when their value really changes.
class AppearanceSettings : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString modeRaw READ modeRaw NOTIFY modeRawChanged)
    Q_PROPERTY(bool isLiquid READ isLiquid NOTIFY isLiquidChanged)
    Q_PROPERTY(QStringList allModes READ allModes CONSTANT)

public:
    explicit AppearanceSettings(IPreferences& preferences, QObject* parent = nullptr);

    QString modeRaw() const { return storedRaw; }
    bool isLiquid() const { return mode() == TavimorAppearanceMode::liquid; }
    TavimorAppearanceMode mode() const { return AppearanceMode::fromStored(storedRaw); }

    // Raw values of every mode, in order, for the settings window's picker.
    QStringList allModes() const;
    Q_INVOKABLE QString title(const QString& raw) const;
    Q_INVOKABLE QString description(const QString& raw) const;

Q_SIGNALS:
    void modeRawChanged();
    void isLiquidChanged();

private:
    void onPreferenceChanged(const QString& key);

    IPreferences& preferences;
    QString storedRaw;
};
