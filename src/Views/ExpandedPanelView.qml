import QtQuick
import QtQuick.Layouts
import Tavimor 1.0
import "qrc:/Theme"

// The open panel: room for the notch, the tab bar (tabs clustered by group, the gear and the close
// button), a divider, and the selected widget's expanded body, swapped at once when the tab changes.
Item {
    id: panel

    required property var widgets
    required property real notchHeight
    required property NotchStateManager stateManager
    // The tooltips of the tabs and of every widget body stay on the panel (PlainToolTip).
    readonly property bool keepsToolTipsInside: true

    signal settingsRequested()
    signal closeRequested()

    ExpandedPanelModel {
        id: panelModel
        stateManager: panel.stateManager
        widgets: panel.widgets
        liquid: Appearance.isLiquid
    }

    Item {
        id: tabBarArea
        x: 12
        y: panel.notchHeight + 6
        width: panel.width - 24
        height: tabBarContainer.height + 8

        TabBarCapsule {
            anchors.fill: tabBarContainer
            visible: panelModel.liquid
        }

        GlassTextShadow {
            id: tabBarContainer
            width: parent.width
            height: tabBar.implicitHeight + (panelModel.liquid ? 8 : 0)

            RowLayout {
                id: tabBar
                x: panelModel.liquid ? 8 : 0
                y: panelModel.liquid ? 4 : 0
                width: tabBarContainer.width - 2 * x
                spacing: 4

                Repeater {
                    model: panelModel.diaADiaWidgets
                    delegate: tabButton
                }
                Repeater {
                    model: panelModel.shelfWidgets
                    delegate: tabButton
                }
                Item {
                    Layout.fillWidth: true
                }
                TabSeparator {
                    visible: panelModel.showsAiSeparator
                }
                Repeater {
                    model: panelModel.aiWidgets
                    delegate: tabButton
                }
                Repeater {
                    model: panelModel.caffeinateWidgets
                    delegate: tabButton
                }
                TabSeparator {}
                PanelToolButton {
                    objectName: "settingsButton"
                    symbol: "gearshape"
                    symbolSize: 13
                    foreground: panelModel.toolForeground
                    color: panelModel.toolBackground
                    toolTip: panelModel.settingsToolTip
                    onActivated: panel.settingsRequested()
                }
                PanelToolButton {
                    objectName: "closeButton"
                    symbol: "xmark"
                    symbolSize: 11
                    foreground: panelModel.toolForeground
                    color: panelModel.toolBackground
                    onActivated: panel.closeRequested()
                }
            }
        }
    }

    Rectangle {
        id: divider
        y: tabBarArea.y + tabBarArea.height
        width: panel.width
        height: 1
        color: panelModel.dividerColor
    }

    WidgetBody {
        x: 12
        y: divider.y + divider.height + 4
        width: panel.width - 24
        height: Math.max(0, panel.height - y - 8)
        // Only while shown: a hidden body would keep its timers and animations running.
        widget: panel.visible ? panelModel.currentWidget : null
        expanded: true
    }

    Component {
        id: tabButton
        TabIconButton {
            required property QtObject modelData
            widget: modelData
            objectName: "tab:" + modelData.id
            readonly property bool selected: modelData.id === panelModel.effectiveWidgetId
            foreground: panelModel.tabForeground(selected)
            color: panelModel.tabBackground(selected)
            onActivated: panelModel.select(modelData.id)
        }
    }
}
