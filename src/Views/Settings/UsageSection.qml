import QtQuick
import QtQuick.Layouts
import Tavimor 1.0
import "../Controls"

// The Claude token row of the settings window: paste and save a token, remove the stored one, refresh, and
// the status of the last fetch or save. Its model is a UsageSettingsModel; the typed token stays in the field
// until it is saved.
ColumnLayout {
    id: section

    required property var model

    spacing: 10

    SettingsHeading {
        Layout.fillWidth: true
        text: "Claude"
    }

    ThemedTextField {
        id: tokenField
        objectName: "usageTokenField"
        Layout.fillWidth: true
        echoMode: TextInput.Password
        placeholderText: "sk-ant-oat01-…"
    }

    Flow {
        Layout.fillWidth: true
        spacing: 8
        ThemedButton {
            objectName: "usageTokenSave"
            primary: true
            text: section.model.saveLabel
            enabled: tokenField.text.trim() !== ""
            onClicked: section.model.save(tokenField.text)
        }
        ThemedButton {
            objectName: "usageTokenRemove"
            text: section.model.removeLabel
            visible: section.model.hasManualToken
            onClicked: section.model.remove()
        }
        ThemedButton {
            objectName: "usageTokenRefresh"
            text: section.model.refreshLabel
            onClicked: section.model.refresh()
        }
    }

    Connections {
        target: section.model
        function onSaved() { tokenField.clear() }
    }

    Text {
        objectName: "usageTokenStatus"
        visible: text !== ""
        Layout.fillWidth: true
        text: section.model.statusText
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        font.pixelSize: 12
        color: section.model.saveFailed ? Theme.danger : Theme.secondaryLabel
    }
}
