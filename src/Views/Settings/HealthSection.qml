import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Tavimor 1.0
import "qrc:/Theme"

// The settings section of the breaks and of the blink and posture reminders, over a HealthSettingsModel.
// Every change is written at once; the preview buttons show a break or a reminder now.
ScrollView {
    id: section

    required property QtObject model
    readonly property var texts: model.texts

    contentWidth: availableWidth

    component SectionTitle: Label {
        textFormat: Text.PlainText
        color: Theme.text
        font.pixelSize: 14
        font.weight: Font.DemiBold
        Layout.topMargin: 8
    }
    component Caption: Label {
        textFormat: Text.PlainText
        color: Theme.text
        Layout.fillWidth: true
    }
    component ChoiceBox: ComboBox {
        required property var choices
        required property string current
        signal picked(string raw)
        model: choices
        textRole: "title"
        valueRole: "raw"
        currentIndex: choices.findIndex(choice => choice.raw === current)
        onActivated: picked(currentValue)
    }

    ColumnLayout {
        width: section.availableWidth
        spacing: 6

        SectionTitle { text: section.texts.breaks }
        RowLayout {
            Caption { text: section.texts.breakEnabled }
            Switch {
                objectName: "breakEnabledSwitch"
                checked: section.model.breakEnabled
                onToggled: section.model.breakEnabled = checked
            }
        }
        RowLayout {
            Caption { text: section.texts.workInterval }
            SpinBox {
                objectName: "workIntervalBox"
                from: section.model.ranges.breakWorkIntervalMin.minimum
                to: section.model.ranges.breakWorkIntervalMin.maximum
                value: section.model.breakWorkIntervalMin
                onValueModified: section.model.breakWorkIntervalMin = value
            }
        }
        RowLayout {
            Caption { text: section.texts.breakDuration }
            SpinBox {
                from: section.model.ranges.breakDurationSec.minimum
                to: section.model.ranges.breakDurationSec.maximum
                stepSize: 5
                value: section.model.breakDurationSec
                onValueModified: section.model.breakDurationSec = value
            }
        }
        RowLayout {
            Caption { text: section.texts.snoozes }
            SpinBox {
                from: section.model.ranges.breakSnoozes.minimum
                to: section.model.ranges.breakSnoozes.maximum
                value: section.model.breakSnoozes
                onValueModified: section.model.breakSnoozes = value
            }
        }
        RowLayout {
            Caption { text: section.texts.strict }
            Switch {
                checked: section.model.breakStrict
                onToggled: section.model.breakStrict = checked
            }
        }
        Button {
            objectName: "previewBreakButton"
            text: section.texts.preview
            onClicked: section.model.previewBreak()
        }

        SectionTitle { text: section.texts.blink }
        RowLayout {
            Caption { text: section.texts.enabled }
            Switch {
                checked: section.model.blinkEnabled
                onToggled: section.model.blinkEnabled = checked
            }
        }
        RowLayout {
            Caption { text: section.texts.interval }
            SpinBox {
                from: section.model.ranges.blinkIntervalMin.minimum
                to: section.model.ranges.blinkIntervalMin.maximum
                value: section.model.blinkIntervalMin
                onValueModified: section.model.blinkIntervalMin = value
            }
        }
        RowLayout {
            Caption { text: section.texts.position }
            ChoiceBox {
                choices: section.model.positions
                current: section.model.blinkPosition
                onPicked: raw => section.model.blinkPosition = raw
            }
        }
        RowLayout {
            Caption { text: section.texts.size }
            ChoiceBox {
                choices: section.model.sizes
                current: section.model.blinkSize
                onPicked: raw => section.model.blinkSize = raw
            }
        }
        Button {
            objectName: "previewBlinkButton"
            text: section.texts.preview
            onClicked: section.model.previewBlink()
        }

        SectionTitle { text: section.texts.posture }
        RowLayout {
            Caption { text: section.texts.enabled }
            Switch {
                checked: section.model.postureEnabled
                onToggled: section.model.postureEnabled = checked
            }
        }
        RowLayout {
            Caption { text: section.texts.interval }
            SpinBox {
                from: section.model.ranges.postureIntervalMin.minimum
                to: section.model.ranges.postureIntervalMin.maximum
                value: section.model.postureIntervalMin
                onValueModified: section.model.postureIntervalMin = value
            }
        }
        RowLayout {
            Caption { text: section.texts.position }
            ChoiceBox {
                choices: section.model.positions
                current: section.model.posturePosition
                onPicked: raw => section.model.posturePosition = raw
            }
        }
        RowLayout {
            Caption { text: section.texts.size }
            ChoiceBox {
                choices: section.model.sizes
                current: section.model.postureSize
                onPicked: raw => section.model.postureSize = raw
            }
        }
        Button {
            objectName: "previewPostureButton"
            text: section.texts.preview
            onClicked: section.model.previewPosture()
        }
    }
}
