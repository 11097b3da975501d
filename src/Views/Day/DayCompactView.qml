import QtQuick
import Tavimor 1.0
import "qrc:/Theme"
import "../Controls"

// The day item of the compact bar: the calendar glyph and, when a meeting is next, its countdown. A right
// click offers the settings window and quitting.
Item {
    id: root

    required property var model

    implicitWidth: row.implicitWidth
    implicitHeight: 24

    Row {
        id: row
        objectName: "dayCompactRow"
        y: -4
        height: 24
        spacing: 4

        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: "calendar"
            size: 10
            font.weight: Font.DemiBold
            color: root.model.compactGlyphColor
        }

        Text {
            objectName: "dayCountdown"
            anchors.verticalCenter: parent.verticalCenter
            visible: root.model.hasNextMeeting
            text: root.model.compactCountdown
            textFormat: Text.PlainText
            font.family: Theme.monoFamily
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: root.model.compactTextColor
        }
    }

    MouseArea {
        anchors.fill: row
        acceptedButtons: Qt.RightButton
        onClicked: (mouse) => menu.popup(mouse.x, mouse.y)
    }

    ThemedMenu {
        id: menu
        ThemedMenuItem {
            text: root.model.texts.settingsMenu
            onTriggered: root.model.openSettings()
        }
        ThemedMenuSeparator {}
        ThemedMenuItem {
            text: root.model.texts.quitMenu
            onTriggered: root.model.quit()
        }
    }
}
