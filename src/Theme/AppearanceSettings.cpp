#include "Theme/AppearanceSettings.h"

#include "Platform/Preferences/IPreferences.h"

AppearanceSettings::AppearanceSettings(IPreferences& preferences, QObject* parent)
    : QObject(parent)
    , preferences(preferences)
    , storedRaw(AppearanceMode::storedRaw(preferences)) {
    connect(&preferences, &IPreferences::changed, this, &AppearanceSettings::onPreferenceChanged);
}

QStringList AppearanceSettings::allModes() const {
    QStringList raws;
    for (TavimorAppearanceMode mode : AppearanceMode::allCases())
        raws.append(AppearanceMode::rawValue(mode));
    return raws;
}

QString AppearanceSettings::title(const QString& raw) const {
    return AppearanceMode::title(AppearanceMode::fromStored(raw));
}

QString AppearanceSettings::description(const QString& raw) const {
    return AppearanceMode::description(AppearanceMode::fromStored(raw));
}

void AppearanceSettings::onPreferenceChanged(const QString& key) {
    if (key != QLatin1String(AppearanceMode::preferenceKey))
        return;
    const QString newRaw = AppearanceMode::storedRaw(preferences);
    if (newRaw == storedRaw)
        return;
    const bool wasLiquid = isLiquid();
    storedRaw = newRaw;
    Q_EMIT modeRawChanged();
    if (wasLiquid != isLiquid())
        Q_EMIT isLiquidChanged();
}
