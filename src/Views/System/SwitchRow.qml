import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// A switch with its symbol and label, for the system card. `toggled` carries the value asked for.
Item {
    id: row

    property string symbol
    property string label
    property string detail
    property bool checked
    signal toggled(bool checked)

    implicitHeight: 24

    SymbolIcon {
        id: icon
        anchors.verticalCenter: parent.verticalCenter
        name: row.symbol
        size: 13
        color: row.checked ? Theme.accent : Theme.secondaryText(Appearance.isLiquid)
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        x: icon.width + 8
        width: track.x - x - 8
        text: row.detail === "" ? row.label : row.label + " · " + row.detail
        textFormat: Text.PlainText
        elide: Text.ElideRight
        color: Theme.primaryLabel
        font.pixelSize: 12
    }
    Rectangle {
        id: track
        objectName: "switch:" + row.symbol
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: 30
        height: 17
        radius: 8.5
        color: row.checked ? Theme.accent : Theme.separator
        Rectangle {
            width: 13
            height: 13
            radius: 6.5
            y: 2
            x: row.checked ? parent.width - width - 2 : 2
            color: row.checked ? Theme.background : Theme.primaryLabel
        }
        MouseArea {
            anchors.fill: parent
            anchors.margins: -4
            onClicked: row.toggled(!row.checked)
        }
    }
}
