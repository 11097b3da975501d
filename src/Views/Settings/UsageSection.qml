import QtQuick
import QtQuick.Controls.Basic
import Tavimor 1.0
import "qrc:/Theme"

// The Claude token row of the settings window: paste and save a token, remove the stored one, refresh, and
// the status of the last fetch or save. Its model is a UsageSettingsModel.
Column {
    id: section

    required property var model

    spacing: 8

    Text {
        text: "Claude"
        textFormat: Text.PlainText
        color: Theme.primaryLabel
        font.pixelSize: 13
        font.weight: Font.DemiBold
    }

    Row {
        spacing: 6

        TextField {
            id: tokenField
            objectName: "usageTokenField"
            width: 280
            echoMode: TextInput.Password
            placeholderText: "sk-ant-oat01-…"
        }

        Button {
            objectName: "usageTokenSave"
            text: section.model.saveLabel
            enabled: tokenField.text.trim() !== ""
            onClicked: {
                section.model.save(tokenField.text);
                tokenField.clear();
            }
        }

        Button {
            objectName: "usageTokenRemove"
            text: section.model.removeLabel
            visible: section.model.hasManualToken
            onClicked: section.model.remove()
        }
    }

    Row {
        spacing: 6

        Text {
            objectName: "usageTokenStatus"
            width: 360
            anchors.verticalCenter: parent.verticalCenter
            text: section.model.statusText
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: section.model.saveFailed ? Theme.danger : Theme.secondaryText(false)
            font.pixelSize: 11
        }

        Button {
            objectName: "usageTokenRefresh"
            text: section.model.refreshLabel
            onClicked: section.model.refresh()
        }
    }
}
