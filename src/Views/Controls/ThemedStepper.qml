import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// A number with minus and plus buttons on either side, in the panel's colours.
Basic.SpinBox {
    id: box

    implicitWidth: 116
    implicitHeight: 30
    font.pixelSize: 13

    component StepButton: Rectangle {
        required property var step
        required property string glyph
        implicitWidth: 30
        height: box.height
        radius: 7
        color: step.pressed || step.hovered ? Qt.lighter(Theme.surfaceElevated, 1.4) : Theme.surfaceElevated
        Text {
            anchors.centerIn: parent
            text: parent.glyph
            textFormat: Text.PlainText
            font.pixelSize: 15
            color: box.enabled ? Theme.text : Theme.secondaryLabel
        }
    }

    contentItem: Text {
        text: box.displayText
        textFormat: Text.PlainText
        font: box.font
        color: Theme.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    down.indicator: StepButton {
        x: box.mirrored ? box.width - width : 0
        step: box.down
        glyph: "−"
    }
    up.indicator: StepButton {
        x: box.mirrored ? 0 : box.width - width
        step: box.up
        glyph: "+"
    }

    background: Rectangle {
        radius: 7
        color: Theme.surface
        border.width: 1
        border.color: box.visualFocus ? Theme.text : Theme.separator
    }
}
