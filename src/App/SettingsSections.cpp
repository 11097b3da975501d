#include "App/SettingsSections.h"

#include "Core/HealthSettingsModel.h"
#include "Foundation/NotificationCenter.h"
#include "Models/SettingsStore.h"
#include "Platform/Calendar/EdsCalendarStore.h"
#include "Services/AgendaSectionModel.h"
#include "Services/DiagnosticsService.h"
#include "Widgets/UsageSettingsModel.h"

namespace {

// For a view model built over the preferences alone.
template <typename Model> QObject* overPreferences(const SettingsContext& context, QObject* parent) {
    return new Model(context.preferences, parent);
}

QObject* overHealthReminders(const SettingsContext& context, QObject* parent) {
    return new HealthSettingsModel(context.preferences, NotificationCenter::shared(), parent);
}

// The agenda section lists the desktop's calendars through a store of its own, dropped with the window.
QObject* overCalendars(const SettingsContext& context, QObject* parent) {
    auto* calendars = new EdsCalendarStore(Diagnostics::degraded);
    auto* model =
        new AgendaSectionModel(*calendars, context.preferences, NotificationCenter::shared(), parent);
    calendars->setParent(model);
    return model;
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
        {"agenda", "config.secao.agenda", "Agenda", "calendar", "AgendaSection", overCalendars},
        {"health", "config.secao.saude", "Saúde", "heart", "HealthSection", overHealthReminders},
        {"usage", "config.secao.uso", "Uso", "sparkles", "UsageSection", overUsageService},
    };
}
