import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// A white pill with an icon and a label; the whole pill takes the click.
Rectangle {
    id: button

    property string icon
    property string label
    signal activated()

    implicitWidth: row.implicitWidth + 36
    implicitHeight: row.implicitHeight + 22
    radius: height / 2
    color: Qt.rgba(1, 1, 1, mouse.containsMouse ? 0.2 : 0.12)
    border.width: 1
    border.color: Qt.rgba(1, 1, 1, 0.18)

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 7
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: button.icon
            size: 13
            color: "#FFFFFF"
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: button.label
            textFormat: Text.PlainText
            color: "white"
            font.pixelSize: 14
            font.weight: Font.DemiBold
        }
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.activated()
    }
}
