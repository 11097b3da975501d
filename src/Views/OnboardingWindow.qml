import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The first-run window: its texts and its actions come from OnboardingWindowManager. The calendar step sits
// above the button that finishes onboarding, which stays in the middle of the window.
Window {
    id: window

    required property QtObject manager

    width: 480
    height: 320
    title: manager.title

    ColumnLayout {
        anchors.bottom: finishButton.top
        anchors.bottomMargin: 16
        anchors.horizontalCenter: parent.horizontalCenter
        width: parent.width - 48
        spacing: 6

        Label {
            text: window.manager.calendarTexts.title
            textFormat: Text.PlainText
            font.pixelSize: 14
            font.weight: Font.DemiBold
        }
        Label {
            Layout.fillWidth: true
            text: window.manager.calendarTexts.description
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: 12
        }
        RowLayout {
            spacing: 8
            Button {
                objectName: "allowCalendar"
                text: window.manager.calendarTexts.allow
                onClicked: window.manager.requestCalendarAccess()
            }
            Label {
                objectName: "calendarStatus"
                Layout.fillWidth: true
                text: window.manager.calendarStatus
                textFormat: Text.PlainText
                elide: Text.ElideRight
                color: window.manager.calendarFailed ? "#D14343" : palette.windowText
            }
        }
    }

    Button {
        id: finishButton
        anchors.centerIn: parent
        text: window.manager.finishText
        onClicked: window.manager.finish()
    }
}
