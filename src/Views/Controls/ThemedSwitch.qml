import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// An on/off switch: the track takes the accent when on, so on reads brighter than off.
Basic.Switch {
    id: control

    padding: 0
    spacing: 0
    implicitWidth: leftPadding + indicator.implicitWidth + rightPadding
    implicitHeight: topPadding + indicator.implicitHeight + bottomPadding

    indicator: Rectangle {
        objectName: "toggleTrack"
        x: control.leftPadding
        y: (control.height - height) / 2
        implicitWidth: 36
        implicitHeight: 20
        radius: height / 2
        color: control.checked ? Theme.accent : Theme.surfaceElevated
        border.width: control.checked && !control.visualFocus ? 0 : 1
        border.color: control.visualFocus ? Theme.text : Theme.muted

        Rectangle {
            width: 14
            height: 14
            radius: 7
            y: 3
            x: control.checked ? parent.width - width - 3 : 3
            color: control.checked ? Theme.background : Theme.muted
            Behavior on x { NumberAnimation { duration: 120 } }
        }
    }

    contentItem: Item {}
}
