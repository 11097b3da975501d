import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// One tab of the tab bar: the widget's icon on a tinted square when selected; the widget's name as tooltip
// and as the tab's accessible name.
Rectangle {
    id: button

    required property QtObject widget
    required property color foreground
    signal activated()

    implicitWidth: 24
    implicitHeight: 24
    radius: 6
    Accessible.role: Accessible.PageTab
    Accessible.name: button.widget.name
    Accessible.onPressAction: button.activated()

    SymbolIcon {
        anchors.centerIn: parent
        name: button.widget.icon
        size: 14
        color: button.foreground
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.activated()
    }

    PlainToolTip {
        text: button.widget.name
        shown: mouse.containsMouse
    }
}
