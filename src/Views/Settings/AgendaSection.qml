import QtQuick
import QtQuick.Layouts
import Tavimor 1.0
import "../Controls"

// The agenda section of the settings window: the calendars that count for the day agenda, and the task
// service's token. Everything it shows and does goes through its AgendaSectionModel.
ColumnLayout {
    id: section

    required property var model

    spacing: 10

    SettingsHeading {
        Layout.fillWidth: true
        text: section.model.texts.calendarsTitle
    }

    Text {
        visible: section.model.calendarError !== ""
        Layout.fillWidth: true
        text: section.model.calendarError
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        font.pixelSize: 12
        color: Theme.danger
    }

    Repeater {
        model: section.model.calendars
        delegate: ThemedCheckBox {
            required property var modelData
            objectName: "calendar:" + modelData.id
            Layout.fillWidth: true
            text: modelData.title
            swatch: modelData.color
            checked: modelData.selected
            onToggled: section.model.setCalendarSelected(modelData.id, checked)
        }
    }

    Text {
        Layout.fillWidth: true
        text: section.model.texts.calendarsHint
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        font.pixelSize: 12
        color: Theme.secondaryLabel
    }

    SettingsHeading {
        Layout.topMargin: 8
        Layout.fillWidth: true
        text: section.model.texts.tokenTitle
    }

    ThemedTextField {
        id: tokenField
        objectName: "tokenField"
        Layout.fillWidth: true
        echoMode: TextInput.Password
        placeholderText: section.model.hasToken ? section.model.texts.tokenPresent : ""
        enabled: !section.model.busy
    }

    Flow {
        Layout.fillWidth: true
        spacing: 8
        ThemedButton {
            objectName: "saveToken"
            primary: true
            text: section.model.texts.save
            enabled: !section.model.busy && tokenField.text.trim() !== ""
            onClicked: section.model.saveToken(tokenField.text)
        }
        ThemedButton {
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

    Text {
        objectName: "tokenStatus"
        visible: text !== ""
        Layout.fillWidth: true
        text: section.model.tokenStatus
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        font.pixelSize: 12
        color: section.model.tokenFailed ? Theme.danger : Theme.secondaryLabel
    }
}
