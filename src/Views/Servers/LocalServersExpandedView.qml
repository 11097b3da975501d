import QtQuick
import Tavimor 1.0
import "qrc:/Theme"
import "qrc:/Views"

// The local servers card: header with a refresh button, then one row per server (open in the browser, stop),
// or the empty line.
Item {
    id: root

    required property var model
    readonly property bool liquid: Appearance.isLiquid
    readonly property color dim: Theme.secondaryText(liquid)

    Component.onCompleted: model.refresh()

    GlassCard {
        anchors.fill: parent
        cornerRadius: 16
        liquid: root.liquid
    }

    GlassTextShadow {
        liquid: root.liquid
        anchors.fill: parent
        anchors.margins: 12

        Item {
            id: header
            width: parent.width
            height: 18

            SectionHeader {
                anchors.verticalCenter: parent.verticalCenter
                spacing: 6
                symbol: "server.rack"
                title: root.model.texts.title
                symbolSize: 12
                symbolColor: Theme.accent
                color: Theme.primaryLabel
                titleSize: 14
            }
            SymbolIcon {
                objectName: "refreshButton"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                name: "arrow.clockwise"
                size: 10
                color: root.dim
                TapHandler {
                    margin: 8
                    onTapped: root.model.refresh()
                }
            }
        }

        Text {
            objectName: "emptyText"
            y: header.height + 12
            visible: root.model.rows.length === 0
            text: root.model.texts.empty
            textFormat: Text.PlainText
            color: root.dim
            font.pixelSize: 12
        }

        Flickable {
            id: serverList
            y: header.height + 12
            width: parent.width
            height: parent.height - y
            visible: root.model.rows.length > 0
            clip: true
            contentHeight: list.implicitHeight
            boundsBehavior: Flickable.StopAtBounds

            Column {
                id: list
                width: parent.width
                spacing: 8

                Repeater {
                    model: root.model.rows
                    delegate: Item {
                        id: row
                        required property var modelData
                        required property int index
                        objectName: "serverRow"
                        width: list.width
                        height: Math.max(texts.implicitHeight, stop.height)

                        Item {
                            id: openArea
                            objectName: "openArea"
                            anchors.left: parent.left
                            anchors.right: stop.left
                            anchors.rightMargin: 8
                            height: parent.height
                            SymbolIcon {
                                id: rackIcon
                                width: 18
                                anchors.verticalCenter: parent.verticalCenter
                                name: "server.rack"
                                size: 13
                                color: Theme.primaryLabel
                            }
                            Column {
                                id: texts
                                anchors.left: rackIcon.right
                                anchors.leftMargin: 8
                                anchors.right: parent.right
                                anchors.verticalCenter: parent.verticalCenter
                                spacing: 1
                                Text {
                                    width: parent.width
                                    text: row.modelData.title
                                    textFormat: Text.PlainText
                                    elide: Text.ElideRight
                                    maximumLineCount: 1
                                    color: Theme.primaryLabel
                                    font.pixelSize: 12
                                    font.weight: Font.DemiBold
                                }
                                Row {
                                    spacing: 6
                                    Text {
                                        anchors.verticalCenter: parent.verticalCenter
                                        text: row.modelData.hostPort
                                        textFormat: Text.PlainText
                                        color: root.dim
                                        font.pixelSize: 10
                                    }
                                    Text {
                                        anchors.verticalCenter: parent.verticalCenter
                                        text: row.modelData.pidText
                                        textFormat: Text.PlainText
                                        color: root.dim
                                        opacity: 0.7
                                        font.pixelSize: 9
                                    }
                                }
                            }
                            HoverHandler {
                                id: openHover
                            }
                            TapHandler {
                                onTapped: root.model.openInBrowser(row.index)
                            }
                            PlainToolTip {
                                shown: openHover.hovered
                                text: row.modelData.openToolTip
                            }
                        }

                        CapsuleButton {
                            id: stop
                            objectName: "stopButton"
                            anchors.right: parent.right
                            anchors.verticalCenter: parent.verticalCenter
                            text: root.model.texts.stop
                            tint: Theme.danger
                            toolTip: row.modelData.stopToolTip
                            onActivated: root.model.stopServer(row.index)
                        }
                    }
                }
            }
        }
        ScrollHint { flickable: serverList }
    }
}
