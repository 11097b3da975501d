import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// A push button in the panel's colours: a primary one is filled with the accent, a secondary one sits on the
// raised surface. A disabled one keeps a readable label on the plain surface.
Basic.Button {
    id: button

    property bool primary: false
    readonly property bool filled: primary && enabled

    implicitHeight: 30
    leftPadding: 14
    rightPadding: 14
    font.pixelSize: 13
    font.weight: primary ? Font.DemiBold : Font.Normal

    contentItem: Text {
        text: button.text
        textFormat: Text.PlainText
        font: button.font
        color: button.filled ? Theme.background : button.enabled ? Theme.text : Theme.secondaryLabel
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    background: Rectangle {
        radius: 7
        color: button.filled ? (button.down ? Qt.darker(Theme.accent, 1.2) : Theme.accent)
             : !button.enabled ? Theme.surface
             : button.down || button.hovered ? Qt.lighter(Theme.surfaceElevated, 1.4) : Theme.surfaceElevated
        border.width: button.filled && !button.visualFocus ? 0 : 1
        border.color: button.visualFocus ? Theme.text : Theme.separator
    }
}
