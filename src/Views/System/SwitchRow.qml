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

    implicitHeight: Math.max(24, labels.implicitHeight)

    SymbolIcon {
        id: icon
        anchors.verticalCenter: parent.verticalCenter
        name: row.symbol
        size: 13
        color: row.checked ? Theme.accent : Theme.secondaryText(Appearance.isLiquid)
    }
    // The state (such as the time left) goes on its own line under the label, so that it is never cut.
    Column {
        id: labels
        anchors.verticalCenter: parent.verticalCenter
        x: icon.width + 8
        width: track.x - x - 8
        Text {
            width: parent.width
            text: row.label
            textFormat: Text.PlainText
            elide: Text.ElideRight
            color: Theme.primaryLabel
            font.pixelSize: 12
        }
        Text {
            objectName: "switchDetail"
            width: parent.width
            visible: row.detail !== ""
            text: row.detail
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: Theme.secondaryText(Appearance.isLiquid)
            font.pixelSize: 10
        }
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
        Accessible.role: Accessible.CheckBox
        Accessible.name: row.label
        Accessible.checked: row.checked
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
