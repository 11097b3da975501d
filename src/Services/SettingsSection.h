#pragma once

#include "Platform/Preferences/IPreferences.h"

#include <QObject>
#include <QString>

#include <functional>

// What a settings section's view model is built with, each time the settings window is built.
struct SettingsContext {
    IPreferences& preferences;
    QObject* usageService = nullptr; // none until the application hands it over
};

// One section of the settings window: its entry in the sidebar, and the QML file under qrc:/Views/Settings/
// that draws it. The file gets the object that makeModel returns as its `model` property; the window owns
// that object and drops it with the window.
struct SettingsSection {
    QString id;
    const char* titleKey;
    const char* titleDefault;
    QString icon;
    QString view; // the file name without ".qml", such as "GeneralSection"
    std::function<QObject*(const SettingsContext&, QObject* parent)> makeModel;
};
