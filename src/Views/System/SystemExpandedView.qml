import QtQuick
import Tavimor 1.0
import "qrc:/Theme"
import "qrc:/Views"

// The system tab: the figures with the monitoring switch on the left; the keep-awake and keyboard-cleaning
// switches and the clipboard history on the right.
Item {
    id: view

    required property var model
    readonly property var service: model.service
    readonly property var texts: model.texts

    Item {
        id: figuresCard
        width: (view.width - 10) / 2
        height: view.height
        GlassCard { anchors.fill: parent }
        GlassTextShadow {
            x: 12
            y: 10
            width: parent.width - 24
            Column {
                width: parent.width
                spacing: 2
                Text {
                    text: view.model.machineName
                    textFormat: Text.PlainText
                    color: Theme.secondaryText(Appearance.isLiquid)
                    font: Theme.sectionTitle
                }
                FigureRow {
                    width: parent.width
                    visible: view.service.isSystemMonitoringEnabled
                    symbol: "cpu"
                    label: view.texts.cpu
                    value: view.service.cpuText
                    fraction: view.service.hasCpuUsage ? view.service.cpuUsage : 0
                }
                FigureRow {
                    width: parent.width
                    visible: view.service.isSystemMonitoringEnabled
                    symbol: "memorychip"
                    label: view.texts.memory
                    value: view.service.memoryText
                    fraction: view.service.memoryFraction
                }
                FigureRow {
                    width: parent.width
                    visible: view.service.isSystemMonitoringEnabled
                    symbol: "internaldrive"
                    label: view.texts.disk
                    value: view.service.diskText
                    fraction: view.service.diskFraction
                }
                FigureRow {
                    width: parent.width
                    visible: view.service.isSystemMonitoringEnabled
                    symbol: "arrow.triangle.2.circlepath"
                    label: view.texts.cache
                    value: view.service.cacheText
                }
            }
        }
        SwitchRow {
            x: 12
            width: parent.width - 24
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 10
            symbol: "waveform.path.ecg"
            label: view.texts.monitoring
            checked: view.service.isSystemMonitoringEnabled
            onToggled: (on) => view.service.isSystemMonitoringEnabled = on
        }
    }

    Item {
        id: switchesCard
        x: figuresCard.width + 10
        width: view.width - x
        height: switches.implicitHeight + 20
        GlassCard { anchors.fill: parent }
        GlassTextShadow {
            x: 12
            y: 10
            width: parent.width - 24
            Column {
                id: switches
                width: parent.width
                spacing: 4
                SwitchRow {
                    width: parent.width
                    visible: view.model.caffeinateService !== null
                    symbol: view.model.caffeinateService && view.model.caffeinateService.isActive
                        ? "cup.and.saucer.fill" : "cup.and.saucer"
                    label: view.texts.keepAwake
                    detail: view.model.keepAwakeStatus
                    checked: view.model.caffeinateService !== null && view.model.caffeinateService.isActive
                    onToggled: (on) => view.model.setKeepAwake(on)
                }
                SwitchRow {
                    width: parent.width
                    symbol: "keyboard"
                    label: view.texts.keyboard
                    checked: view.model.isKeyboardCleaning
                    onToggled: (on) => view.model.setKeyboardCleaning(on)
                }
            }
        }
    }

    Item {
        x: switchesCard.x
        y: switchesCard.height + 8
        width: switchesCard.width
        height: view.height - y
        GlassCard { anchors.fill: parent }
        GlassTextShadow {
            x: 12
            y: 8
            width: parent.width - 24
            height: parent.height - 16
            SwitchRow {
                id: clipboardSwitch
                width: parent.width
                symbol: "doc.on.clipboard"
                label: view.texts.clipboard
                checked: view.service.isClipboardHistoryEnabled
                onToggled: (on) => view.service.isClipboardHistoryEnabled = on
            }
            Text {
                y: clipboardSwitch.height + 8
                visible: view.service.isClipboardHistoryEnabled && history.count === 0
                text: view.texts.clipboardEmpty
                textFormat: Text.PlainText
                color: Theme.secondaryText(Appearance.isLiquid)
                font.pixelSize: 11
            }
            ListView {
                id: history
                readonly property real rowStep: 22 + spacing
                y: clipboardSwitch.height + 6
                width: parent.width
                // Whole rows only: the last one shown is never sliced by the card's edge.
                height: Math.max(0, Math.floor((parent.height - y + spacing) / rowStep) * rowStep - spacing)
                clip: true
                spacing: 2
                visible: view.service.isClipboardHistoryEnabled
                model: view.service.isClipboardHistoryEnabled ? view.service.clipboardHistory : []
                delegate: Rectangle {
                    required property string modelData
                    required property int index
                    objectName: "clipboardEntry"
                    width: ListView.view.width
                    height: 22
                    radius: 6
                    color: entryMouse.containsMouse ? Theme.separator : "transparent"
                    Text {
                        x: 6
                        width: parent.width - 12
                        anchors.verticalCenter: parent.verticalCenter
                        text: modelData
                        textFormat: Text.PlainText
                        maximumLineCount: 1
                        elide: Text.ElideRight
                        color: Theme.primaryLabel
                        font.pixelSize: 11
                    }
                    MouseArea {
                        id: entryMouse
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: view.service.copyEntry(index)
                    }
                    PlainToolTip {
                        text: view.texts.clipboardCopy
                        shown: entryMouse.containsMouse
                    }
                }
            }
            ScrollHint { flickable: history }
        }
    }
}
