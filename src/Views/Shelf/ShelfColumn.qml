import QtQuick
import Tavimor 1.0
import "qrc:/Theme"
import "qrc:/Views"

// One column of the shelf tab: a heading and a list of files that can be opened and dragged out; the shelf's
// own column also removes them.
Item {
    id: column

    property string title
    property string symbol
    property string emptyText
    property string removeText
    property var items: []
    property bool removable: false
    signal openRequested(string path)
    signal removeRequested(string path)
    signal dragRequested(string path)

    SectionHeader {
        id: heading
        spacing: 6
        symbol: column.symbol
        title: column.title
        symbolSize: 12
        symbolColor: Theme.accent
    }

    Text {
        y: heading.height + 8
        width: parent.width
        visible: column.items.length === 0 && column.emptyText !== ""
        text: column.emptyText
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        color: Theme.secondaryText(Appearance.isLiquid)
        font.pixelSize: 11
    }

    ListView {
        y: heading.height + 6
        width: parent.width
        height: parent.height - y
        clip: true
        spacing: 2
        model: column.items
        delegate: Rectangle {
            id: entry
            required property var modelData
            objectName: "shelfItem"
            width: ListView.view.width
            height: 24
            radius: 6
            color: mouse.containsMouse ? Theme.separator : "transparent"

            SymbolIcon {
                id: fileIcon
                x: 4
                anchors.verticalCenter: parent.verticalCenter
                name: entry.modelData.isFolder ? "folder" : "doc"
                size: 12
                color: Theme.primaryLabel
            }
            Text {
                x: fileIcon.x + fileIcon.width + 6
                width: parent.width - x - (removeButton.visible ? removeButton.width + 8 : 4)
                anchors.verticalCenter: parent.verticalCenter
                text: entry.modelData.name
                textFormat: Text.PlainText
                elide: Text.ElideMiddle
                color: Theme.primaryLabel
                font.pixelSize: 11
            }
            MouseArea {
                id: mouse
                property point pressedAt
                property bool dragging: false
                anchors.fill: parent
                hoverEnabled: true
                onPressed: (event) => { pressedAt = Qt.point(event.x, event.y); dragging = false; }
                onPositionChanged: (event) => {
                    if (pressed && !dragging && Math.hypot(event.x - pressedAt.x, event.y - pressedAt.y)
                            >= Qt.styleHints.startDragDistance) {
                        dragging = true;
                        column.dragRequested(entry.modelData.path);
                    }
                }
                onDoubleClicked: column.openRequested(entry.modelData.path)
            }
            SymbolIcon {
                id: removeButton
                objectName: "removeButton"
                visible: column.removable && mouse.containsMouse
                anchors.right: parent.right
                anchors.rightMargin: 4
                anchors.verticalCenter: parent.verticalCenter
                name: "trash"
                size: 12
                color: Theme.danger
                MouseArea {
                    anchors.fill: parent
                    onClicked: column.removeRequested(entry.modelData.path)
                }
                PlainToolTip {
                    text: column.removeText
                    shown: removeButton.visible && removeMouse.containsMouse
                }
                MouseArea {
                    id: removeMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    acceptedButtons: Qt.NoButton
                }
            }
        }
    }
}
