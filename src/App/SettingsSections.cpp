#include "App/SettingsSections.h"

#include "Core/HealthSettingsModel.h"
#include "Core/NotificationCenter.h"
#include "Models/SettingsStore.h"
#include "Widgets/UsageSettingsModel.h"

namespace {

// For a view model built over the preferences alone.
template <typename Model> QObject* overPreferences(const SettingsContext& context, QObject* parent) {
    return new Model(context.preferences, parent);
}

QObject* overHealthReminders(const SettingsContext& context, QObject* parent) {
    return new HealthSettingsModel(context.preferences, NotificationCenter::shared(), parent);
}

QObject* overUsageService(const SettingsContext& context, QObject* parent) {
    return new UsageSettingsModel(context.usageService, parent);
}

} // namespace

QList<SettingsSection> SettingsSections::all() {
    // One line per section: id, title key and default, sidebar icon, QML file, view model.
    return {
        {"general", "config.secao.geral", "Geral", "gearshape", "GeneralSection",
         overPreferences<SettingsStore>},
        {"health", "config.secao.saude", "Saúde", "heart", "HealthSection", overHealthReminders},
        {"usage", "config.secao.uso", "Uso", "sparkles", "UsageSection", overUsageService},
    };
}
