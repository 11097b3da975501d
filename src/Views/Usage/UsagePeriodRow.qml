import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// One quota window: label and percent left, the bar, the reset time and the warning when it runs out first.
Column {
    id: period

    property var row
    property color secondary
    property bool liquid
    readonly property color rowColor: row.low ? Theme.danger : Theme.accent

    spacing: 4

    Item {
        width: parent.width
        height: percent.implicitHeight

        Text {
            anchors.baseline: percent.baseline
            text: period.row.label
            textFormat: Text.PlainText
            color: Theme.primaryLabel
            font.pixelSize: 12
            font.weight: Font.DemiBold
        }

        Text {
            id: percent
            objectName: "usagePercent"
            anchors.right: parent.right
            text: period.row.percentText
            textFormat: Text.PlainText
            color: period.row.low ? Theme.danger : period.secondary
            font.family: Theme.monoFamily
            font.pixelSize: 11
        }
    }

    Item {
        width: parent.width
        height: 4

        Rectangle {
            anchors.fill: parent
            radius: 2
            color: period.liquid ? Qt.rgba(1, 1, 1, 0.12) : Theme.surface
        }

        Rectangle {
            objectName: "usageBarFill"
            width: parent.width * period.row.fraction
            height: 4
            radius: 2
            color: period.rowColor
        }
    }

    Item {
        width: parent.width
        height: Math.max(reset.implicitHeight, warning.implicitHeight)

        Text {
            id: reset
            objectName: "usageReset"
            visible: text !== ""
            text: period.row.resetText
            textFormat: Text.PlainText
            color: period.secondary
            font.pixelSize: 10
        }

        Row {
            id: warning
            anchors.right: parent.right
            visible: period.row.warningText !== ""
            spacing: 2

            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "exclamationmark.triangle.fill"
                size: 8
                color: Theme.danger
            }

            Text {
                objectName: "usageWarning"
                text: period.row.warningText
                textFormat: Text.PlainText
                color: Theme.danger
                font.pixelSize: 10
            }
        }
    }
}
