import QtQuick
import Tavimor 1.0

// The notch panel's root: the outline around the notch, the expanded panel while content is visible and,
// always on top, the compact bar. Fills the panel window (screen width, 340 px tall).
Item {
    id: root

    required property NotchStateManager stateManager
    required property WidgetRegistry registry
    required property real notchWidth
    required property real notchHeight
    // closePanel() for the close button, openSettings() for the gear, dropFiles(urls) for dropped files.
    required property QtObject panelActions

    // Where the compact bar's side items are, in this item's coordinates: they take clicks while closed.
    readonly property var compactItemRects: compactBar.itemRects
    // The compact bar's capsules, in this item's coordinates: without a compositor the window is cut to them
    // and to the outline.
    readonly property var compactCapsules: compactBar.capsules

    NotchShapeModel {
        id: shapeModel
        open: root.stateManager.isOpen
        liquid: Appearance.isLiquid
        notchWidth: root.notchWidth
        notchHeight: root.notchHeight
    }

    // Files dropped anywhere on the panel go to the shelf (the shelf tab takes its own drops first).
    DropArea {
        anchors.fill: parent
        keys: ["text/uri-list"]
        onDropped: (drop) => {
            root.panelActions.dropFiles(drop.urls);
            drop.acceptProposedAction();
        }
    }

    NotchOutline {
        shapeModel: shapeModel
        anchors.top: parent.top
        anchors.horizontalCenter: parent.horizontalCenter
    }

    // Built on the first open and kept: later opens only show it again.
    Loader {
        id: expandedPanel
        z: 0
        active: visible || item !== null
        visible: root.stateManager.contentVisible
        anchors.top: parent.top
        anchors.horizontalCenter: parent.horizontalCenter
        width: shapeModel.openWidth
        height: shapeModel.openHeight
        clip: true
        sourceComponent: ExpandedPanelView {
            widgets: root.registry.activeWidgets
            notchHeight: root.notchHeight
            stateManager: root.stateManager
            onSettingsRequested: root.panelActions.openSettings()
            onCloseRequested: {
                shapeModel.closeWithButtonSpring();
                root.panelActions.closePanel();
            }
        }
    }

    CompactBarView {
        id: compactBar
        objectName: "compactBar"
        z: 10
        anchors.top: parent.top
        width: root.width
        height: shapeModel.compactHeight
        enabled: !root.stateManager.isOpen
        widgets: root.registry.activeWidgets
        notchWidth: root.notchWidth
        sidesOnly: root.stateManager.isOpen
    }
}
