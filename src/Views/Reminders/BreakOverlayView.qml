import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// One screen of a break: a dark backdrop over frosted glass with a faint accent glow, the clock, the tip and
// the countdown, and the skip, snooze and lock buttons with the lines under them. Drawn opaque when nothing
// frosts what lies behind it.
Item {
    id: overlay

    required property QtObject model
    // The top strip that the notch panel keeps covered on its screen.
    property real topInset: 0
    // The screen as the break began, frosted; none where the compositor blurs behind the window itself.
    property alias backdrop: frostedGlass.image

    BackdropMaterial {
        id: frostedGlass
        anchors.fill: parent
    }

    Rectangle {
        anchors.fill: parent
        gradient: Gradient {
            GradientStop { position: 0; color: overlay.model.opaque ? "#050506" : Qt.rgba(0, 0, 0, 0.55) }
            GradientStop { position: 1; color: Qt.rgba(0x0B / 255, 0x0C / 255, 0x0F / 255, overlay.model.opaque ? 1 : 0.82) }
        }
    }

    RadialGlow {
        // The accent glow: accent at 10 % within 40 px of the middle, gone at 620 px.
        anchors.fill: parent
        color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.1)
        innerRadius: 40
        outerRadius: 620
    }

    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        y: overlay.topInset + 28
        Row {
            spacing: 6
            opacity: 0.7
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "clock"
                size: 13
                color: "#FFFFFF"
            }
            Text {
                text: overlay.model.clock
                textFormat: Text.PlainText
                color: "white"
                font.family: "monospace"
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }
        }
    }

    Column {
        anchors.centerIn: parent
        width: parent.width - 80
        spacing: 16

        Text {
            objectName: "tipTitle"
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: overlay.model.tipTitle
            textFormat: Text.PlainText
            color: "white"
            font.family: Theme.roundedFamily
            font.pixelSize: 46
            font.bold: true
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: overlay.model.tipSubtitle
            textFormat: Text.PlainText
            color: Qt.rgba(1, 1, 1, 0.7)
            font.pixelSize: 17
            font.weight: Font.Medium
        }
        Item {
            width: parent.width
            height: 17
            Rectangle { anchors.centerIn: parent; width: 80; height: 1; color: Qt.rgba(1, 1, 1, 0.25) }
        }
        NumericText {
            objectName: "countdown"
            anchors.horizontalCenter: parent.horizontalCenter
            text: overlay.model.countdown
            color: Theme.accent
            font.family: "monospace"
            font.pixelSize: 40
            font.weight: Font.DemiBold
        }
    }

    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 40
        spacing: 12

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 12
            OverlayButton {
                objectName: "skipButton"
                visible: overlay.model.showsSkip
                icon: "forward.fill"
                label: overlay.model.skipLabel
                onActivated: overlay.model.skip()
            }
            OverlayButton {
                objectName: "snoozeButton"
                visible: overlay.model.showsSnooze
                icon: "zzz"
                label: overlay.model.snoozeLabel
                onActivated: overlay.model.snooze()
            }
            OverlayButton {
                objectName: "lockButton"
                icon: "lock.fill"
                label: overlay.model.lockLabel
                onActivated: overlay.model.lockScreen()
            }
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 3
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                visible: text !== ""
                text: overlay.model.snoozeLine
                textFormat: Text.PlainText
                color: Qt.rgba(1, 1, 1, 0.55)
                font.pixelSize: 13
                font.weight: Font.Medium
            }
            Text {
                objectName: "hint"
                anchors.horizontalCenter: parent.horizontalCenter
                text: overlay.model.hint
                textFormat: overlay.model.hintStyled ? Text.StyledText : Text.PlainText
                color: Qt.rgba(1, 1, 1, 0.4)
                font.pixelSize: 12
            }
        }
    }
}
