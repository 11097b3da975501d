import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// An entry of a ThemedMenu: white text, a lighter row under the pointer or the keyboard.
Basic.MenuItem {
    id: item

    implicitHeight: 28
    leftPadding: 10
    rightPadding: 10
    font.pixelSize: 13

    contentItem: Text {
        text: item.text
        textFormat: Text.PlainText
        font: item.font
        color: item.enabled ? Theme.text : Theme.secondaryLabel
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    background: Rectangle {
        radius: 5
        color: item.highlighted ? Qt.lighter(Theme.surfaceElevated, 1.6) : "transparent"
    }
}
