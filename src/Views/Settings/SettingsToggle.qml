import QtQuick
import Tavimor 1.0

// A labelled on/off switch for the settings sections. `toggled` carries the value the user asked for;
// the owner writes it and the binding of `checked` follows the stored value.
Item {
    id: toggle

    property string title
    property string detail
    property bool checked: false
    signal toggled(bool checked)

    implicitHeight: Math.max(labels.implicitHeight, track.height)

    Column {
        id: labels
        width: parent.width - track.width - 12
        spacing: 2
        Text {
            width: parent.width
            text: toggle.title
            textFormat: Text.PlainText
            color: Theme.text
            font.pixelSize: 13
            wrapMode: Text.Wrap
        }
        Text {
            width: parent.width
            visible: toggle.detail !== ""
            text: toggle.detail
            textFormat: Text.PlainText
            color: Theme.muted
            font.pixelSize: 11
            wrapMode: Text.Wrap
        }
    }

    Rectangle {
        id: track
        objectName: "toggleTrack"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: 34
        height: 20
        radius: 10
        color: toggle.checked ? Theme.accent : Theme.surfaceElevated
        border.width: 1
        border.color: Theme.separator

        Rectangle {
            width: 16
            height: 16
            radius: 8
            y: 2
            x: toggle.checked ? parent.width - width - 2 : 2
            color: toggle.checked ? Theme.background : Theme.muted
        }

        MouseArea {
            anchors.fill: parent
            onClicked: toggle.toggled(!toggle.checked)
        }
    }
}
