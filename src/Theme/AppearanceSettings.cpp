#include "Theme/AppearanceSettings.h"

#include "Platform/Preferences/IPreferences.h"

AppearanceSettings::AppearanceSettings(IPreferences& preferences, QObject* parent)
    : QObject(parent)
    , preferences(preferences)
    , storedRaw(readStored()) {
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

QString AppearanceSettings::readStored() const {
    // Like a text binding with a default: an absent key, or one holding something other than text, reads
    // as the default.
    const QVariant stored = preferences.value(QString::fromLatin1(AppearanceMode::preferenceKey));
    if (stored.typeId() != QMetaType::QString)
        return QString::fromLatin1(AppearanceMode::defaultRawValue);
    return stored.toString();
}

void AppearanceSettings::onPreferenceChanged(const QString& key) {
    if (key != QLatin1String(AppearanceMode::preferenceKey))
        return;
    const QString newRaw = readStored();
    if (newRaw == storedRaw)
        return;
    const bool wasLiquid = isLiquid();
    storedRaw = newRaw;
    Q_EMIT modeRawChanged();
    if (wasLiquid != isLiquid())
        Q_EMIT isLiquidChanged();
}
