import QtQuick
import QtQuick.Layouts
import Tavimor 1.0

// The thin line between groups of the tab bar.
Rectangle {
    implicitWidth: 1
    implicitHeight: 16
    Layout.leftMargin: 2
    Layout.rightMargin: 2
    color: Theme.separator
}
