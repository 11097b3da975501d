import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// One figure of the system card: symbol, label, value, and a bar when a fraction is given.
Item {
    id: row

    property string symbol
    property string label
    property string value
    property real fraction: -1

    implicitHeight: 28

    SymbolIcon {
        id: icon
        anchors.verticalCenter: texts.verticalCenter
        name: row.symbol
        size: 13
        color: Theme.secondaryText(Appearance.isLiquid)
    }
    Item {
        id: texts
        x: icon.width + 8
        width: row.width - x
        height: 16
        Text {
            text: row.label
            textFormat: Text.PlainText
            color: Theme.primaryLabel
            font.pixelSize: 12
        }
        Text {
            objectName: "figure:" + row.symbol
            anchors.right: parent.right
            text: row.value
            textFormat: Text.PlainText
            color: Theme.primaryLabel
            font.pixelSize: 12
            font.weight: Font.DemiBold
        }
    }
    Rectangle {
        visible: row.fraction >= 0
        x: texts.x
        y: texts.height + 5
        width: texts.width
        height: 3
        radius: 2
        color: Theme.separator
        Rectangle {
            width: parent.width * Math.max(0, Math.min(1, row.fraction))
            height: parent.height
            radius: 2
            color: Theme.accent
        }
    }
}
