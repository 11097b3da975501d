import QtQuick
import Tavimor 1.0
import "qrc:/Theme"
import "qrc:/Views"

// The usage tab: a header with the age of the figures and a refresh button, then the failure text, a loading
// text, or one row per quota window.
Item {
    id: card

    required property var model
    readonly property bool liquid: Appearance.isLiquid
    readonly property color secondary: Theme.secondaryText(liquid)

    GlassCard {
        anchors.fill: parent
        cornerRadius: 16
        liquid: card.liquid
    }

    GlassTextShadow {
        x: 12
        y: 12
        width: card.width - 24
        liquid: card.liquid

        Column {
            width: card.width - 24
            spacing: 12

            Item {
                width: parent.width
                height: 20

                SectionHeader {
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 6
                    symbol: "sparkle"
                    title: card.model.title
                    symbolSize: 12
                    symbolColor: Theme.accent
                    color: Theme.primaryLabel
                    titleSize: 14
                }

                Row {
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 6

                    Text {
                        objectName: "usageAge"
                        anchors.verticalCenter: parent.verticalCenter
                        visible: text !== ""
                        text: card.model.ageText
                        textFormat: Text.PlainText
                        color: card.secondary
                        font.pixelSize: 10
                    }

                    // The hit area reaches 8 past the glyph without taking room in the header.
                    Item {
                        width: 10
                        height: 10
                        anchors.verticalCenter: parent.verticalCenter

                        SymbolIcon {
                            anchors.centerIn: parent
                            name: "arrow.clockwise"
                            size: 10
                            color: card.secondary
                        }

                        MouseArea {
                            objectName: "usageRefresh"
                            anchors.fill: parent
                            anchors.margins: -8
                            onClicked: card.model.refresh()
                        }
                    }
                }
            }

            Text {
                objectName: "usageError"
                width: parent.width
                visible: text !== ""
                text: card.model.errorText
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                color: card.secondary
                font.pixelSize: 12
            }

            Text {
                visible: text !== ""
                text: card.model.loadingText
                textFormat: Text.PlainText
                color: card.secondary
                font.pixelSize: 12
            }

            Repeater {
                model: card.model.rows

                delegate: UsagePeriodRow {
                    required property var modelData
                    width: card.width - 24
                    row: modelData
                    secondary: card.secondary
                    liquid: card.liquid
                }
            }
        }
    }
}
