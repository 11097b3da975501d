import QtQuick
import QtQuick.Layouts
import Tavimor 1.0
import "../Controls"

// The settings section of the breaks and of the blink and posture reminders, over a HealthSettingsModel.
// Every change is written at once; the preview buttons show a break or a reminder now. The window's page
// scrolls it.
ColumnLayout {
    id: section

    required property QtObject model
    readonly property var texts: model.texts

    spacing: 8

    component Heading: SettingsHeading {
        Layout.fillWidth: true
        Layout.topMargin: 8
    }
    component Toggle: SettingsToggle {
        Layout.fillWidth: true
    }
    // A caption on the left, its control on the right.
    component Field: RowLayout {
        property alias caption: label.text
        Layout.fillWidth: true
        spacing: 12
        Text {
            id: label
            Layout.fillWidth: true
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: Theme.text
            font.pixelSize: 13
        }
    }
    component Stepper: ThemedStepper {
        required property var range
        from: range.minimum
        to: range.maximum
    }
    component Preview: ThemedButton {
        text: section.texts.preview
    }

    Toggle {
        objectName: "remindersPaused"
        title: section.texts.paused
        checked: section.model.remindersPaused
        onToggled: checked => section.model.remindersPaused = checked
    }
    Heading { text: section.texts.breaks }
    Toggle {
        objectName: "breakEnabled"
        title: section.texts.breakEnabled
        checked: section.model.breakEnabled
        onToggled: checked => section.model.breakEnabled = checked
    }
    Field {
        caption: section.texts.workInterval
        Stepper {
            objectName: "workIntervalBox"
            range: section.model.ranges.breakWorkIntervalMin
            value: section.model.breakWorkIntervalMin
            onValueModified: section.model.breakWorkIntervalMin = value
        }
    }
    Field {
        caption: section.texts.breakDuration
        Stepper {
            range: section.model.ranges.breakDurationSec
            stepSize: 5
            value: section.model.breakDurationSec
            onValueModified: section.model.breakDurationSec = value
        }
    }
    Field {
        caption: section.texts.snoozes
        Stepper {
            range: section.model.ranges.breakSnoozes
            value: section.model.breakSnoozes
            onValueModified: section.model.breakSnoozes = value
        }
    }
    Toggle {
        title: section.texts.strict
        checked: section.model.breakStrict
        onToggled: checked => section.model.breakStrict = checked
    }
    Preview {
        objectName: "previewBreakButton"
        onClicked: section.model.previewBreak()
    }

    Heading { text: section.texts.blink }
    Toggle {
        title: section.texts.enabled
        checked: section.model.blinkEnabled
        onToggled: checked => section.model.blinkEnabled = checked
    }
    Field {
        caption: section.texts.interval
        Stepper {
            range: section.model.ranges.blinkIntervalMin
            value: section.model.blinkIntervalMin
            onValueModified: section.model.blinkIntervalMin = value
        }
    }
    Field {
        caption: section.texts.position
        ThemedChoice {
            choices: section.model.positions
            current: section.model.blinkPosition
            onPicked: raw => section.model.blinkPosition = raw
        }
    }
    Field {
        caption: section.texts.size
        ThemedChoice {
            choices: section.model.sizes
            current: section.model.blinkSize
            onPicked: raw => section.model.blinkSize = raw
        }
    }
    Preview {
        objectName: "previewBlinkButton"
        onClicked: section.model.previewBlink()
    }

    Heading { text: section.texts.posture }
    Toggle {
        title: section.texts.enabled
        checked: section.model.postureEnabled
        onToggled: checked => section.model.postureEnabled = checked
    }
    Field {
        caption: section.texts.interval
        Stepper {
            range: section.model.ranges.postureIntervalMin
            value: section.model.postureIntervalMin
            onValueModified: section.model.postureIntervalMin = value
        }
    }
    Field {
        caption: section.texts.position
        ThemedChoice {
            choices: section.model.positions
            current: section.model.posturePosition
            onPicked: raw => section.model.posturePosition = raw
        }
    }
    Field {
        caption: section.texts.size
        ThemedChoice {
            choices: section.model.sizes
            current: section.model.postureSize
            onPicked: raw => section.model.postureSize = raw
        }
    }
    Preview {
        objectName: "previewPostureButton"
        onClicked: section.model.previewPosture()
    }
}
