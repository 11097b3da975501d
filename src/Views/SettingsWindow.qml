import QtQuick
import Tavimor 1.0
import "Settings"

// The settings window. Its title, size, flags and position are set by SettingsWindowManager, which also
// hands over the sections.
Window {
    id: window

    property var sections: []

    color: Theme.background

    SettingsView {
        objectName: "settingsView"
        anchors.fill: parent
        sections: window.sections
    }
}
