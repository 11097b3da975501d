import QtQuick

// A minimal root view honouring the panel's contract: the closed outline, one compact item right of the
// notch, and in the open panel a close button in its top-right corner.
Item {
    id: root

    required property QtObject stateManager
    required property QtObject registry
    required property real notchWidth
    required property real notchHeight
    required property QtObject panelActions

    readonly property bool open: stateManager.isOpen
    property var compactItemRects: [Qt.rect(width / 2 + notchWidth / 2 + 50, 0, 40, notchHeight + 6)]

    Rectangle {
        anchors.horizontalCenter: parent.horizontalCenter
        width: root.open ? Math.max(root.notchWidth, 520) : root.notchWidth
        height: root.open ? 300 : root.notchHeight + 6
        color: "black"
        radius: 12
    }

    Rectangle {
        x: root.compactItemRects[0].x
        width: 40
        height: root.notchHeight + 6
        color: "black"
    }

    Rectangle {
        visible: root.open
        x: root.width / 2 + 220
        y: 50
        width: 30
        height: 30
        color: "red"
        MouseArea {
            anchors.fill: parent
            onClicked: root.panelActions.closePanel()
        }
    }
}
