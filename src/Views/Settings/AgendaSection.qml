import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tavimor 1.0

// The agenda section of the settings window: the calendars that count for the day agenda, and the task
// service's token. Everything it shows and does goes through its AgendaSectionModel.
ColumnLayout {
    id: section

    required property var model

    spacing: 10

    Label {
        text: section.model.texts.calendarsTitle
        textFormat: Text.PlainText
        font.pixelSize: 13
        font.weight: Font.DemiBold
    }

    Label {
        visible: section.model.calendarError !== ""
        Layout.fillWidth: true
        text: section.model.calendarError
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        color: Theme.danger
    }

    Repeater {
        model: section.model.calendars
        delegate: RowLayout {
            required property var modelData
            spacing: 6
            Rectangle {
                width: 8
                height: 8
                radius: 4
                color: modelData.color
            }
            CheckBox {
                objectName: "calendar:" + modelData.id
                checked: modelData.selected
                onToggled: section.model.setCalendarSelected(modelData.id, checked)
                contentItem: Text {
                    leftPadding: 24
                    text: modelData.title
                    textFormat: Text.PlainText
                    verticalAlignment: Text.AlignVCenter
                }
            }
        }
    }

    Label {
        Layout.fillWidth: true
        text: section.model.texts.calendarsHint
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        opacity: 0.7
    }

    Label {
        Layout.topMargin: 8
        text: section.model.texts.tokenTitle
        textFormat: Text.PlainText
        font.pixelSize: 13
        font.weight: Font.DemiBold
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 6
        TextField {
            id: tokenField
            objectName: "tokenField"
            Layout.fillWidth: true
            echoMode: TextInput.Password
            placeholderText: section.model.hasToken ? section.model.texts.tokenPresent : ""
            enabled: !section.model.busy
        }
        Button {
            objectName: "saveToken"
            text: section.model.texts.save
            enabled: !section.model.busy && tokenField.text.trim() !== ""
            onClicked: section.model.saveToken(tokenField.text)
        }
        Button {
            objectName: "removeToken"
            text: section.model.texts.remove
            enabled: !section.model.busy && section.model.hasToken
            onClicked: section.model.removeToken()
        }
    }

    // The typed token stays in the field until it is safely stored.
    Connections {
        target: section.model
        function onTokenStateChanged() {
            if (!section.model.busy && !section.model.tokenFailed)
                tokenField.clear();
        }
    }

    Label {
        objectName: "tokenStatus"
        visible: text !== ""
        Layout.fillWidth: true
        text: section.model.tokenStatus
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        color: section.model.tokenFailed ? Theme.danger : palette.windowText
    }
}
