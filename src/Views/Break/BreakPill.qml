import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// A capsule action: symbol and title in the tint, filled with the tint at 14 % and outlined at 40 %.
Rectangle {
    id: pill

    property string title
    property string icon
    property color tint
    signal activated()

    implicitWidth: row.implicitWidth + 20
    implicitHeight: row.implicitHeight + 12
    radius: height / 2
    color: Qt.rgba(tint.r, tint.g, tint.b, 0.14)
    border.width: 1
    border.color: Qt.rgba(tint.r, tint.g, tint.b, 0.4)
    Accessible.role: Accessible.Button
    Accessible.name: pill.title
    Accessible.onPressAction: pill.activated()

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 5
        SymbolIcon { name: pill.icon; size: 11; color: pill.tint; anchors.verticalCenter: parent.verticalCenter }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: pill.title
            textFormat: Text.PlainText
            color: pill.tint
            font.pixelSize: 12
            font.weight: Font.DemiBold
        }
    }

    MouseArea {
        anchors.fill: parent
        onClicked: pill.activated()
    }
}
