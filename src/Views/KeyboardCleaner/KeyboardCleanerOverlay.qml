import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// The keyboard-cleaning lock's screen: what is going on, and the one way out.
Rectangle {
    id: root

    required property QtObject controller

    color: Qt.rgba(0, 0, 0, 0.92)

    Column {
        anchors.centerIn: parent
        spacing: 24

        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 100
            height: 100
            radius: 50
            color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.15)
            SymbolIcon {
                anchors.centerIn: parent
                name: "keyboard"
                size: 46
                color: Theme.accent
            }
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 8
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: root.controller.texts.title
                textFormat: Text.PlainText
                color: "white"
                font.pixelSize: 22
                font.bold: true
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(400, implicitWidth)
                text: root.controller.texts.body
                textFormat: Text.PlainText
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
                color: Qt.rgba(1, 1, 1, 0.7)
                font.pixelSize: 13
            }
        }

        Rectangle {
            objectName: "unlockButton"
            anchors.horizontalCenter: parent.horizontalCenter
            width: unlockRow.implicitWidth + 56
            height: unlockRow.implicitHeight + 24
            radius: height / 2
            color: Theme.accent
            Accessible.role: Accessible.Button
            Accessible.name: root.controller.texts.unlock
            Accessible.onPressAction: root.controller.unlock()
            Row {
                id: unlockRow
                anchors.centerIn: parent
                spacing: 8
                SymbolIcon {
                    anchors.verticalCenter: parent.verticalCenter
                    name: "lock.open.fill"
                    size: 13
                    color: "black"
                }
                Text {
                    text: root.controller.texts.unlock
                    textFormat: Text.PlainText
                    color: "black"
                    font.pixelSize: 13
                    font.weight: Font.DemiBold
                }
            }
            TapHandler {
                onTapped: root.controller.unlock()
            }
        }
    }
}
