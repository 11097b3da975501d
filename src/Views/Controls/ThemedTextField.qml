import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// A one-line text field in the panel's colours; its border takes the accent while it has the focus.
Basic.TextField {
    id: field

    implicitHeight: 30
    leftPadding: 10
    rightPadding: 10
    font.pixelSize: 13
    color: Theme.text
    placeholderTextColor: Theme.secondaryLabel
    selectionColor: Theme.accent
    selectedTextColor: Theme.background

    background: Rectangle {
        radius: 7
        color: Theme.surface
        border.width: 1
        border.color: field.activeFocus ? Theme.accent : Theme.separator
    }
}
