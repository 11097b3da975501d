import QtQuick

// The settings window. Its title, size, flags and position are set by SettingsWindowManager.
Window {
}
