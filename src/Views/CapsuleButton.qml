import QtQuick
import Tavimor 1.0

// A small capsule with a label in the tint, outlined and filled with the tint at 12 %; `filled` paints it
// with the tint itself and the label in the background colour. An empty toolTip shows none.
Rectangle {
    id: button

    property string text
    property color tint: Theme.accent
    property bool filled: false
    property string toolTip
    signal activated()

    implicitWidth: label.implicitWidth + 16
    implicitHeight: label.implicitHeight + 8
    radius: height / 2
    color: filled ? tint : Qt.rgba(tint.r, tint.g, tint.b, 0.12)
    border.width: filled ? 0 : 1
    border.color: Qt.rgba(tint.r, tint.g, tint.b, 0.4)

    Text {
        id: label
        anchors.centerIn: parent
        text: button.text
        textFormat: Text.PlainText
        color: button.filled ? Theme.background : button.tint
        font.pixelSize: 10
        font.weight: Font.DemiBold
    }
    HoverHandler {
        id: hover
    }
    TapHandler {
        onTapped: button.activated()
    }
    PlainToolTip {
        shown: hover.hovered && button.toolTip !== ""
        text: button.toolTip
    }
}
