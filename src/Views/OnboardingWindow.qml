import QtQuick
import QtQuick.Layouts
import Tavimor 1.0
import "Controls"

// The first-run window: its texts and its actions come from OnboardingWindowManager. A heading, the calendar
// step on a card (why access is asked, the button that asks, its result), and the button that finishes
// onboarding at the lower right.
Window {
    id: window

    required property QtObject manager

    width: 520
    height: 340
    minimumWidth: 420
    minimumHeight: 320
    title: manager.title
    color: Theme.background

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 28
        spacing: 18

        Text {
            Layout.fillWidth: true
            text: window.manager.title
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: Theme.text
            font.pixelSize: 22
            font.weight: Font.DemiBold
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: step.implicitHeight + 32
            radius: 10
            color: Theme.surface
            border.width: 1
            border.color: Theme.separator

            ColumnLayout {
                id: step
                x: 16
                y: 16
                width: parent.width - 32
                spacing: 8

                SettingsHeading {
                    Layout.fillWidth: true
                    text: window.manager.calendarTexts.title
                }
                Text {
                    Layout.fillWidth: true
                    text: window.manager.calendarTexts.description
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    color: Theme.secondaryLabel
                    font.pixelSize: 13
                }
                RowLayout {
                    Layout.topMargin: 4
                    spacing: 12
                    ThemedButton {
                        objectName: "allowCalendar"
                        text: window.manager.calendarTexts.allow
                        enabled: !window.manager.calendarGranted
                        onClicked: window.manager.requestCalendarAccess()
                    }
                    Text {
                        objectName: "calendarStatus"
                        Layout.fillWidth: true
                        text: window.manager.calendarStatus
                        textFormat: Text.PlainText
                        wrapMode: Text.Wrap
                        font.pixelSize: 12
                        color: window.manager.calendarFailed ? Theme.danger : Theme.text
                    }
                }
            }
        }

        Item { Layout.fillHeight: true }

        ThemedButton {
            objectName: "finishOnboarding"
            Layout.alignment: Qt.AlignRight
            primary: true
            text: window.manager.finishText
            onClicked: window.manager.finish()
        }
    }
}
