import QtQuick
import QtQuick.Layouts
import Tavimor 1.0
import "qrc:/Theme"
import ".."

// The breaks tab: a card with the countdown to the next break (or of the break on screen), the configured
// lengths, the actions that apply now and a footer.
Item {
    id: view

    required property var model
    readonly property bool liquid: Appearance.isLiquid
    readonly property color dim: Theme.secondaryText(liquid)

    GlassCard {
        anchors.fill: parent
        cornerRadius: 16
        liquid: view.liquid
    }

    Flickable {
        anchors.fill: parent
        anchors.margins: 8
        contentHeight: content.implicitHeight
        clip: true
        boundsBehavior: Flickable.StopAtBounds

        GlassTextShadow {
            width: parent.width
            liquid: view.liquid

            ColumnLayout {
                id: content
                width: parent.width
                spacing: 8

                RowLayout {
                    spacing: 6
                    Layout.fillWidth: true
                    SectionHeader {
                        spacing: 6
                        symbol: "heart"
                        title: view.model.title
                        symbolSize: 12
                        symbolColor: Theme.accent
                        color: Theme.primaryLabel
                        titleSize: 14
                    }
                    Item { Layout.fillWidth: true }
                    PanelToolButton {
                        objectName: "breakSettingsButton"
                        symbol: "slider.horizontal.3"
                        symbolSize: 12
                        foreground: view.dim
                        color: "transparent"
                        toolTip: view.model.configureToolTip
                        onActivated: view.model.openSettings()
                    }
                }

                RowLayout {
                    spacing: 12
                    Layout.fillWidth: true
                    ColumnLayout {
                        spacing: 2
                        Text {
                            objectName: "stateLabel"
                            text: view.model.stateLabel
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                            textFormat: Text.PlainText
                            color: view.dim
                            font.pixelSize: 10
                            font.weight: Font.DemiBold
                        }
                        NumericText {
                            objectName: "bigValue"
                            text: view.model.bigValue
                            // The next break's figure rolls; a break's own seconds change in place.
                            rolls: !view.model.active
                            color: Theme.accent
                            font.family: Theme.roundedFamily
                            font.pixelSize: 26
                            font.weight: Font.DemiBold
                        }
                    }
                    Item { Layout.fillWidth: true }
                    ColumnLayout {
                        spacing: 3
                        InfoLine { icon: "timer"; text: view.model.workInfo; color: view.dim }
                        InfoLine { icon: "hourglass"; text: view.model.durationInfo; color: view.dim }
                    }
                }

                RowLayout {
                    spacing: 8
                    BreakPill {
                        objectName: "skipPill"
                        visible: view.model.showsSkip
                        title: view.model.skipLabel
                        icon: "forward.fill"
                        tint: Theme.danger
                        onActivated: view.model.skip()
                    }
                    BreakPill {
                        objectName: "lockPill"
                        visible: view.model.active
                        title: view.model.lockLabel
                        icon: "lock.fill"
                        tint: Theme.accent
                        onActivated: view.model.lockScreen()
                    }
                    BreakPill {
                        objectName: "takeNowPill"
                        visible: !view.model.active
                        title: view.model.takeNowLabel
                        icon: "heart"
                        tint: Theme.accent
                        onActivated: view.model.takeBreakNow()
                    }
                }

                Text {
                    Layout.fillWidth: true
                    text: view.model.footer
                    textFormat: Text.PlainText
                    wrapMode: Text.WordWrap
                    color: view.dim
                    font.pixelSize: 10
                }
            }
        }
    }
}
