import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0
import "qrc:/Theme"
import "qrc:/Views"

// The devices tab: the radio card (switch, status, settings link) beside the list of connected and paired
// devices with their levels.
Item {
    id: root

    required property var model
    readonly property bool liquid: Appearance.isLiquid
    readonly property color dim: Theme.secondaryText(liquid)
    readonly property real available: width - 8

    function tinted(c, a) {
        return Qt.rgba(c.r, c.g, c.b, a);
    }

    Component.onCompleted: model.refresh()

    GlassCard {
        id: leftCard
        width: root.available * 0.34
        height: root.height
        cornerRadius: 12
        liquid: root.liquid
    }

    GlassTextShadow {
        liquid: root.liquid
        x: 8
        y: 8
        width: leftCard.width - 16
        height: leftCard.height - 16

        Column {
            width: parent.width
            spacing: 8

            SectionHeader {
                symbol: "wave.3.right"
                title: root.model.texts.title
            }

            Rectangle {
                id: radioSwitch
                objectName: "radioSwitch"
                readonly property color tint: root.model.radioOn ? Theme.accent : root.dim
                width: parent.width
                height: radioRow.implicitHeight + 12
                radius: 8
                opacity: root.model.radioEnabled ? 1 : 0.5
                color: root.model.radioOn ? root.tinted(Theme.accent, 0.15) : Qt.rgba(1, 1, 1, 0.08)
                border.width: 1
                border.color: root.model.radioOn ? root.tinted(Theme.accent, 0.4) : Qt.rgba(1, 1, 1, 0.12)
                Row {
                    id: radioRow
                    x: 9
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 5
                    SymbolIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "wave.3.right"
                        size: 11
                        color: radioSwitch.tint
                    }
                    Text {
                        text: root.model.radioText
                        textFormat: Text.PlainText
                        color: radioSwitch.tint
                        font.pixelSize: 11
                        font.weight: Font.DemiBold
                    }
                }
                HoverHandler {
                    id: radioHover
                }
                TapHandler {
                    enabled: root.model.radioEnabled
                    onTapped: root.model.toggleRadio()
                }
                PlainToolTip {
                    shown: radioHover.hovered
                    text: root.model.radioToolTip
                }
            }

            Text {
                objectName: "statusText"
                width: parent.width
                text: root.model.statusText
                textFormat: Text.PlainText
                wrapMode: Text.WordWrap
                color: root.dim
                font.pixelSize: 10
            }
        }

        Row {
            objectName: "settingsLink"
            anchors.bottom: parent.bottom
            spacing: 5
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "gearshape"
                size: 11
                color: root.dim
            }
            Text {
                text: root.model.texts.settings
                textFormat: Text.PlainText
                color: root.dim
                font.pixelSize: 11
                font.weight: Font.Medium
            }
            HoverHandler {
                id: settingsHover
            }
            TapHandler {
                onTapped: root.model.openSettings()
            }
            PlainToolTip {
                shown: settingsHover.hovered
                text: root.model.texts.settingsToolTip
            }
        }
    }

    GlassCard {
        id: rightCard
        x: leftCard.width + 8
        width: root.available * 0.66
        height: root.height
        cornerRadius: 12
        liquid: root.liquid
    }

    GlassTextShadow {
        liquid: root.liquid
        x: rightCard.x + 8
        y: 8
        width: rightCard.width - 16
        height: rightCard.height - 16

        SectionHeader {
            id: columnHeader
            symbol: "battery.100"
            title: root.model.texts.column
        }

        Text {
            objectName: "placeholderText"
            y: columnHeader.height + 8
            visible: text !== ""
            text: root.model.placeholder
            textFormat: Text.PlainText
            color: root.dim
            font.pixelSize: 12
        }

        Flickable {
            id: deviceList
            y: columnHeader.height + 8
            width: parent.width
            height: parent.height - y
            visible: root.model.placeholder === ""
            clip: true
            contentHeight: sections.implicitHeight
            boundsBehavior: Flickable.StopAtBounds

            Column {
                id: sections
                width: parent.width
                spacing: 12

                Text {
                    visible: root.model.connectedRows.length > 0
                    topPadding: 2
                    text: root.model.texts.connected
                    textFormat: Text.PlainText
                    color: root.dim
                    font.pixelSize: 10
                    font.weight: Font.DemiBold
                }
                Repeater {
                    model: root.model.connectedRows
                    delegate: deviceRow
                }
                Text {
                    visible: root.model.pairedRows.length > 0
                    topPadding: 2
                    text: root.model.texts.paired
                    textFormat: Text.PlainText
                    color: root.dim
                    font.pixelSize: 10
                    font.weight: Font.DemiBold
                }
                Repeater {
                    model: root.model.pairedRows
                    delegate: deviceRow
                }
            }
        }
        ScrollHint { flickable: deviceList }
    }

    Component {
        id: deviceRow

        Column {
            id: row
            required property var modelData
            objectName: "deviceRow"
            width: sections.width
            spacing: 4

            Item {
                width: parent.width
                height: 20

                Row {
                    anchors.left: parent.left
                    anchors.right: trailing.left
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 8
                    SymbolIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        width: 18
                        name: row.modelData.image
                        size: 13
                        color: Theme.primaryLabel
                    }
                    Text {
                        id: nameText
                        anchors.verticalCenter: parent.verticalCenter
                        width: Math.min(implicitWidth, parent.width - 18 - 8 - levelText.width - 14 - (bolt.visible ? bolt.width + 8 : 0))
                        text: row.modelData.name
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        maximumLineCount: 1
                        color: Theme.primaryLabel
                        font.pixelSize: 12
                        font.weight: Font.DemiBold
                    }
                    SymbolIcon {
                        id: bolt
                        anchors.verticalCenter: parent.verticalCenter
                        visible: row.modelData.charging
                        name: "bolt.fill"
                        size: 9
                        color: Theme.accent
                    }
                }
                Text {
                    id: levelText
                    visible: row.modelData.hasLevel
                    anchors.right: trailing.left
                    anchors.rightMargin: trailing.width > 0 ? 8 : 0
                    anchors.verticalCenter: parent.verticalCenter
                    text: row.modelData.levelText
                    textFormat: Text.PlainText
                    color: row.modelData.low ? Theme.danger : Theme.primaryLabel
                    font.family: Theme.monoFamily
                    font.pixelSize: 12
                    font.weight: Font.DemiBold
                }
                Item {
                    id: trailing
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    width: childrenRect.width
                    height: 18

                    Basic.BusyIndicator {
                        visible: row.modelData.trailing === "spinner"
                        width: visible ? 16 : 0
                        height: 16
                        running: visible
                    }
                    Row {
                        objectName: "retryButton"
                        visible: row.modelData.trailing === "retry"
                        width: visible ? implicitWidth : 0
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 3
                        SymbolIcon {
                            anchors.verticalCenter: parent.verticalCenter
                            name: "exclamationmark.triangle.fill"
                            size: 9
                            color: Theme.danger
                        }
                        Text {
                            text: root.model.texts.retry
                            textFormat: Text.PlainText
                            color: Theme.danger
                            font.pixelSize: 10
                            font.weight: Font.DemiBold
                        }
                        HoverHandler {
                            id: retryHover
                        }
                        TapHandler {
                            onTapped: root.model.toggleConnection(row.modelData.id)
                        }
                        PlainToolTip {
                            shown: retryHover.hovered
                            text: row.modelData.errorText
                        }
                    }
                    CapsuleButton {
                        objectName: "connectButton"
                        visible: row.modelData.trailing === "connect"
                        width: visible ? implicitWidth : 0
                        anchors.verticalCenter: parent.verticalCenter
                        text: row.modelData.connectText
                        filled: row.modelData.connected
                        toolTip: row.modelData.connectToolTip
                        onActivated: root.model.toggleConnection(row.modelData.id)
                    }
                }
            }

            Item {
                objectName: "levelBar"
                visible: row.modelData.hasLevel
                width: parent.width
                height: 4
                Rectangle {
                    anchors.fill: parent
                    radius: 2
                    color: root.liquid ? Qt.rgba(1, 1, 1, 0.12) : Theme.surface
                }
                Rectangle {
                    objectName: "levelFill"
                    width: parent.width * row.modelData.fraction
                    height: parent.height
                    radius: 2
                    color: row.modelData.low ? Theme.danger : Theme.accent
                }
            }
        }
    }
}
