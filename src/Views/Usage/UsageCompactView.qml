import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// Beside the notch: a sparkle and the percent of the session window left, coloured by how little is left.
Item {
    id: compact

    required property var model

    implicitWidth: row.implicitWidth
    implicitHeight: 24

    Row {
        id: row
        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: -4
        spacing: 4

        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: "sparkle"
            size: 11
            color: compact.model.compactColor
        }

        Text {
            objectName: "usageCompactPercent"
            anchors.verticalCenter: parent.verticalCenter
            text: compact.model.compactText
            textFormat: Text.PlainText
            color: compact.model.compactColor
            font.family: Theme.monoFamily
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
    }
}
