import QtQuick
import Tavimor 1.0
import "../Controls"

// The general section: the panel's appearance mode and the notes tab.
Column {
    id: section

    required property var model

    spacing: 10

    SettingsHeading {
        width: section.width
        text: section.model.texts.appearanceTitle
    }

    Repeater {
        model: Appearance.allModes
        delegate: Rectangle {
            required property string modelData
            readonly property bool selected: section.model.selectedMode === modelData

            objectName: "appearance:" + modelData
            width: section.width
            height: modeTexts.implicitHeight + 16
            radius: 8
            color: Theme.surface
            border.width: 1
            border.color: selected ? Theme.accent : Theme.separator

            Column {
                id: modeTexts
                x: 12
                y: 8
                width: parent.width - 24
                spacing: 2
                Text {
                    text: Appearance.title(modelData)
                    textFormat: Text.PlainText
                    color: Theme.text
                    font.pixelSize: 13
                    font.weight: Font.DemiBold
                }
                Text {
                    width: parent.width
                    text: Appearance.description(modelData)
                    textFormat: Text.PlainText
                    color: Theme.secondaryLabel
                    font.pixelSize: 11
                    wrapMode: Text.Wrap
                }
            }

            MouseArea {
                anchors.fill: parent
                onClicked: section.model.setAppearanceMode(modelData)
            }
        }
    }

    Item { width: 1; height: 6 }

    SettingsHeading {
        width: section.width
        text: section.model.texts.notesTitle
    }

    SettingsToggle {
        objectName: "notesToggle"
        width: section.width
        title: section.model.texts.notesSwitch
        detail: section.model.texts.notesDetail
        checked: section.model.notesEnabled
        onToggled: (checked) => section.model.notesEnabled = checked
    }
}
