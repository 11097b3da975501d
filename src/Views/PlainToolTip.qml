import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0

// The one tooltip of the panel. Its text is always shown as plain text, never as markup.
Basic.ToolTip {
    id: tip

    // Whether the owner wants the tip; it opens only while its item is in a window, since a row may leave the
    // panel under the pointer while the tip waits for its delay.
    property bool shown: false

    objectName: "toolTip"
    visible: shown && parent !== null && parent.Window.window !== null
    delay: 600
    y: parent ? parent.height + 6 : 0

    contentItem: Text {
        text: tip.text
        textFormat: Text.PlainText
        color: Theme.primaryLabel
        font.pixelSize: 11
    }

    background: Rectangle {
        color: Theme.surfaceElevated
        radius: 4
        border.width: 1
        border.color: Theme.separator
    }
}
