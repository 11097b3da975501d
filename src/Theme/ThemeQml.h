#pragma once

class IPreferences;

// Registers the theme's singletons under the QML module "Tavimor" 1.0: Theme, Appearance (over the given
// preferences, which must outlive every engine), Icons and Springs. Each engine gets its own instances.
// Call before loading QML; a later call switches the preferences that new engines' Appearance reads.
void registerThemeQmlTypes(IPreferences& preferences);
