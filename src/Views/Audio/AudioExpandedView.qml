import QtQuick
import QtQuick.Layouts
import Tavimor 1.0
import "qrc:/Theme"
import "qrc:/Views"

// The audio tab: inputs with the lock switch on the left, outputs with the default output's format on the
// right. A click on a row makes that device the default.
Item {
    id: view

    required property var model
    readonly property bool liquid: Appearance.isLiquid
    readonly property color secondary: Theme.secondaryText(liquid)
    readonly property real columnWidth: (width - 8) * 0.5
    // Both cards' headers are as tall as the taller one (the inputs' has the lock switch), so they are level.
    readonly property real headerHeight: Math.max(inputCard.headerImplicitHeight, outputCard.headerImplicitHeight)

    function accentAt(opacity) {
        return Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, opacity);
    }

    Row {
        spacing: 8

        DeviceCard {
            id: inputCard
            symbol: "mic"
            title: view.model.inputTitle
            rows: view.model.inputRows
            showsLock: true
            onRowClicked: index => view.model.selectInput(index)
        }
        DeviceCard {
            id: outputCard
            objectName: "outputCard"
            symbol: "hifispeaker"
            title: view.model.outputTitle
            rows: view.model.outputRows
            onRowClicked: index => view.model.selectOutput(index)
        }
    }

    component DeviceCard: Item {
        id: card
        property string symbol
        property string title
        property var rows: []
        property bool showsLock: false
        readonly property real headerImplicitHeight: header.implicitHeight
        signal rowClicked(int index)

        width: view.columnWidth
        height: view.height

        GlassCard {
            anchors.fill: parent
            cornerRadius: 12
            liquid: view.liquid
        }

        GlassTextShadow {
            x: 8
            y: 8
            width: card.width - 16
            height: card.height - 16
            liquid: view.liquid

            ColumnLayout {
                width: parent.width
                height: parent.height
                spacing: 8

                RowLayout {
                    id: header
                    Layout.fillWidth: true
                    Layout.preferredHeight: view.headerHeight
                    spacing: 6
                    SectionHeader {
                        symbol: card.symbol
                        title: card.title
                        symbolWeight: Font.DemiBold
                    }
                    Item { Layout.fillWidth: true; Layout.minimumWidth: 4 }
                    LockSwitch { visible: card.showsLock }
                }

                Item {
                    Layout.fillWidth: true
                    Layout.fillHeight: true

                    Flickable {
                        id: rowList
                        anchors.fill: parent
                        contentHeight: list.height
                        clip: true
                        boundsBehavior: Flickable.StopAtBounds

                        Column {
                            id: list
                            width: parent.width
                            spacing: 4
                            Repeater {
                                model: card.rows
                                delegate: DeviceRow {
                                    width: list.width
                                    onClicked: card.rowClicked(index)
                                }
                            }
                        }
                    }
                    ScrollHint { flickable: rowList }
                }
            }
        }
    }

    component DeviceRow: Rectangle {
        id: row
        required property var modelData
        required property int index
        signal clicked()

        objectName: "device:" + modelData.name
        height: content.implicitHeight + 10
        radius: 8
        color: modelData.isCurrent ? view.accentAt(0.14) : Qt.rgba(1, 1, 1, 0.06)
        border.width: modelData.isCurrent ? 1 : 0
        border.color: view.accentAt(0.45)

        RowLayout {
            id: content
            x: 7
            width: row.width - 14
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6

            SymbolIcon {
                Layout.preferredWidth: 14
                name: row.modelData.symbolName
                size: 11
                font.weight: Font.DemiBold
                color: row.modelData.isCurrent ? Theme.accent : view.secondary
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 1
                Text {
                    Layout.fillWidth: true
                    text: row.modelData.name
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    font.pixelSize: 11
                    font.weight: row.modelData.isCurrent ? Font.DemiBold : Font.Normal
                    color: Theme.primaryLabel
                }
                Text {
                    objectName: "badge"
                    Layout.fillWidth: true
                    visible: row.modelData.badge !== ""
                    text: row.modelData.badge
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    font.pixelSize: 9
                    color: row.modelData.isWarning ? Theme.danger : view.secondary
                }
            }
            SymbolIcon {
                visible: row.modelData.isWarning
                name: "exclamationmark.triangle.fill"
                size: 10
                color: Theme.danger
            }
        }

        MouseArea {
            id: rowArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: row.clicked()
        }
        PlainToolTip {
            shown: rowArea.containsMouse
            text: row.modelData.toolTip
        }
    }

    component LockSwitch: Rectangle {
        id: lock
        objectName: "lockSwitch"
        readonly property bool on: view.model.isLocked
        readonly property color tint: on ? Theme.accent : view.secondary

        implicitWidth: lockRow.implicitWidth + 14
        implicitHeight: lockRow.implicitHeight + 8
        radius: height / 2
        color: on ? view.accentAt(0.15) : Qt.rgba(1, 1, 1, 0.06)
        border.width: on ? 1 : 0
        border.color: view.accentAt(0.4)

        Row {
            id: lockRow
            anchors.centerIn: parent
            spacing: 4
            SymbolIcon {
                name: lock.on ? "lock.fill" : "lock.open"
                size: 10
                font.weight: Font.DemiBold
                color: lock.tint
            }
            Text {
                text: view.model.lockText
                textFormat: Text.PlainText
                font.pixelSize: 10
                font.weight: Font.DemiBold
                color: lock.tint
            }
        }
        MouseArea {
            id: lockArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: view.model.toggleLock()
        }
        PlainToolTip {
            shown: lockArea.containsMouse
            text: view.model.lockToolTip
        }
    }
}
