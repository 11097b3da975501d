import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// A check box with its label beside the box, never under it; `swatch`, when set, is a colour dot before the
// label (a calendar's colour).
Basic.CheckBox {
    id: box

    property color swatch: "transparent"

    spacing: 8
    padding: 2
    font.pixelSize: 13

    indicator: Rectangle {
        x: box.leftPadding
        y: (box.height - height) / 2
        implicitWidth: 18
        implicitHeight: 18
        radius: 5
        color: box.checked ? Theme.accent : Theme.surface
        border.width: box.checked && !box.visualFocus ? 0 : 1
        border.color: box.visualFocus ? Theme.text : Theme.muted
        Text {
            anchors.centerIn: parent
            visible: box.checked
            text: "✓"
            textFormat: Text.PlainText
            font.pixelSize: 13
            font.weight: Font.Bold
            color: Theme.background
        }
    }

    contentItem: Row {
        leftPadding: box.indicator.width + box.spacing
        spacing: 6
        Rectangle {
            visible: box.swatch.a > 0
            anchors.verticalCenter: parent.verticalCenter
            width: 8
            height: 8
            radius: 4
            color: box.swatch
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, box.availableWidth - parent.leftPadding - 14)
            text: box.text
            textFormat: Text.PlainText
            font: box.font
            color: Theme.text
            elide: Text.ElideRight
        }
    }
}
