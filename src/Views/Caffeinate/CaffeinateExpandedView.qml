import QtQuick
import Tavimor 1.0
import "qrc:/Theme"
import "qrc:/Views"

// The keep-awake card: header with the stop button and the lid switch, the status line, the duration boxes.
Item {
    id: root

    required property var model
    readonly property var service: model.service
    readonly property bool liquid: Appearance.isLiquid
    readonly property color dim: Theme.secondaryText(liquid)

    function tinted(c, a) {
        return Qt.rgba(c.r, c.g, c.b, a);
    }

    GlassCard {
        anchors.fill: parent
        cornerRadius: 16
        liquid: root.liquid
    }

    GlassTextShadow {
        liquid: root.liquid
        anchors.fill: parent
        anchors.margins: 12

        Column {
            width: parent.width
            spacing: 12

            Row {
                id: header
                width: parent.width
                spacing: 6

                SectionHeader {
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 6
                    symbol: root.model.icon
                    title: root.model.texts.title
                    symbolSize: 12
                    symbolColor: Theme.accent
                    color: Theme.primaryLabel
                    titleSize: 14
                }
                Item {
                    width: Math.max(0, header.width - x - header.spacing - controls.width)
                    height: 1
                }
                Row {
                    id: controls
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 6

                    CapsuleButton {
                        objectName: "stopButton"
                        visible: root.service.isActive
                        text: root.model.texts.stop
                        tint: Theme.danger
                        onActivated: root.service.deactivate()
                    }

                    Rectangle {
                        id: lidSwitch
                        objectName: "lidSwitch"
                        readonly property bool on: root.service.lidSleepPrevented
                        readonly property color tint: on ? Theme.accent : root.dim
                        width: lidRow.implicitWidth + 14
                        height: lidRow.implicitHeight + 8
                        radius: height / 2
                        color: on ? root.tinted(Theme.accent, 0.15) : Qt.rgba(1, 1, 1, 0.06)
                        border.width: on ? 1 : 0
                        border.color: root.tinted(Theme.accent, 0.4)
                        Row {
                            id: lidRow
                            anchors.centerIn: parent
                            spacing: 4
                            SymbolIcon {
                                anchors.verticalCenter: parent.verticalCenter
                                name: "laptopcomputer"
                                size: 10
                                color: lidSwitch.tint
                            }
                            Text {
                                text: root.model.texts.lid
                                textFormat: Text.PlainText
                                color: lidSwitch.tint
                                font.pixelSize: 10
                                font.weight: Font.DemiBold
                            }
                        }
                        HoverHandler {
                            id: lidHover
                        }
                        TapHandler {
                            onTapped: root.service.setLidSleepPrevention(!root.service.lidSleepPrevented)
                        }
                        PlainToolTip {
                            shown: lidHover.hovered
                            text: root.model.lidToolTip
                        }
                    }
                }
            }

            Text {
                objectName: "statusLine"
                width: parent.width
                text: root.model.statusText
                textFormat: Text.PlainText
                wrapMode: root.service.isActive ? Text.NoWrap : Text.WordWrap
                color: root.dim
                font.pixelSize: 11
            }

            Grid {
                id: grid
                readonly property int columnCount: Math.max(1, Math.floor((width + 4) / (68 + 4)))
                width: parent.width
                columns: columnCount
                columnSpacing: 4
                rowSpacing: 4

                Repeater {
                    model: root.model.durations
                    delegate: Rectangle {
                        required property var modelData
                        objectName: "durationBox"
                        width: (grid.width - (grid.columnCount - 1) * 4) / grid.columnCount
                        height: 52
                        radius: 10
                        color: Qt.rgba(1, 1, 1, 0.06)
                        Column {
                            anchors.centerIn: parent
                            spacing: 4
                            SymbolIcon {
                                anchors.horizontalCenter: parent.horizontalCenter
                                name: modelData.indefinite ? "infinity" : "timer"
                                size: 15
                                color: root.dim
                            }
                            Text {
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: modelData.label
                                textFormat: Text.PlainText
                                color: Theme.primaryLabel
                                font.pixelSize: 11
                                font.weight: modelData.indefinite ? Font.DemiBold : Font.Normal
                                fontSizeMode: Text.HorizontalFit
                                minimumPixelSize: 9
                            }
                        }
                        TapHandler {
                            onTapped: modelData.indefinite ? root.service.activateIndefinitely()
                                                           : root.service.activateFor(modelData.seconds)
                        }
                    }
                }
            }
        }
    }
}
