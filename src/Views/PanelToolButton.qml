import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// The gear and close buttons at the right end of the tab bar. An empty toolTip shows none.
Rectangle {
    id: button

    property string symbol
    property real symbolSize: 13
    property color foreground
    property string toolTip
    signal activated()

    implicitWidth: 20
    implicitHeight: 20
    radius: 6

    SymbolIcon {
        anchors.centerIn: parent
        name: button.symbol
        size: button.symbolSize
        color: button.foreground
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.activated()
    }

    PlainToolTip {
        text: button.toolTip
        shown: mouse.containsMouse && button.toolTip !== ""
    }
}
