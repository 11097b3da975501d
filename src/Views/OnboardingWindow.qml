import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The first-run window: its texts and its actions come from OnboardingWindowManager.
Window {
    id: window

    required property QtObject manager

    width: 480
    height: 320
    title: manager.title

    ColumnLayout {
        anchors.centerIn: parent
        width: parent.width - 64
        spacing: 12

        Label {
            text: window.manager.calendarTexts.title
            textFormat: Text.PlainText
            font.pixelSize: 15
            font.weight: Font.DemiBold
        }
        Label {
            Layout.fillWidth: true
            text: window.manager.calendarTexts.description
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
        }
        Button {
            objectName: "allowCalendar"
            text: window.manager.calendarTexts.allow
            onClicked: window.manager.requestCalendarAccess()
        }
        Label {
            objectName: "calendarStatus"
            Layout.fillWidth: true
            visible: text !== ""
            text: window.manager.calendarStatus
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: window.manager.calendarFailed ? "#D14343" : palette.windowText
        }
        Button {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 12
            text: window.manager.finishText
            onClicked: window.manager.finish()
        }
    }
}
