#pragma once

#include <QString>

// Where Tavimor keeps its files. The one place that maps the macOS folders to XDG ones:
// ~/Library/Preferences -> $XDG_CONFIG_HOME/Tavimor, ~/Library/Logs/Tavimor -> $XDG_STATE_HOME/Tavimor,
// ~/Library/Application Support/Tavimor -> $XDG_DATA_HOME/Tavimor, ~/Library/Caches ->
// $XDG_CACHE_HOME/Tavimor.
namespace AppPaths {

QString configDirectory();
QString stateDirectory();
QString dataDirectory();
QString cacheDirectory();

QString preferencesFile(); // configDirectory()/preferences.json
QString logFile();         // stateDirectory()/tavimor.log

} // namespace AppPaths
