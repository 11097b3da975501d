import QtQuick
import QtQuick.Layouts
import Tavimor 1.0
import "qrc:/Theme"

// A small symbol and a line of text, in one colour, aligned to the right.
Row {
    id: line

    property string icon
    property string text
    property color color

    Layout.alignment: Qt.AlignRight
    spacing: 5
    Accessible.role: Accessible.StaticText
    Accessible.name: line.text
    SymbolIcon { name: line.icon; size: 10; color: line.color; anchors.verticalCenter: parent.verticalCenter }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: line.text
        textFormat: Text.PlainText
        color: line.color
        font.pixelSize: 11
    }
}
