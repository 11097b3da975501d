import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// The shelf tab: the files kept on the shelf beside the Desktop folder. Files dropped here are copied onto
// the shelf.
Item {
    id: view

    required property var model
    readonly property var service: model.service
    readonly property var texts: model.texts

    DropArea {
        id: drop
        anchors.fill: parent
        keys: ["text/uri-list"]
        onDropped: (event) => {
            view.service.addUrls(event.urls);
            event.acceptProposedAction();
        }
    }

    Item {
        id: shelfCard
        width: (view.width - 10) / 2
        height: view.height
        GlassCard { anchors.fill: parent }
        Rectangle {
            anchors.fill: parent
            radius: 12
            color: "transparent"
            border.width: 1
            border.color: Theme.accent
            visible: drop.containsDrag
        }
        GlassTextShadow {
            x: 12
            y: 10
            width: parent.width - 24
            height: parent.height - 20
            ShelfColumn {
                width: parent.width
                height: parent.height - (error.visible ? error.height + 4 : 0)
                title: view.texts.shelf
                symbol: "tray.full"
                emptyText: view.texts.empty
                removeText: view.texts.remove
                items: view.service.shelfItems
                removable: true
                onOpenRequested: (path) => view.service.open(path)
                onRemoveRequested: (path) => view.service.remove(path)
                onDragRequested: (path) => view.service.dragOut(path)
            }
            Text {
                id: error
                anchors.bottom: parent.bottom
                width: parent.width
                visible: view.service.errorMessage !== ""
                text: view.service.errorMessage
                textFormat: Text.PlainText
                elide: Text.ElideRight
                color: Theme.danger
                font.pixelSize: 10
            }
        }
    }

    Item {
        x: shelfCard.width + 10
        width: view.width - x
        height: view.height
        GlassCard { anchors.fill: parent }
        GlassTextShadow {
            x: 12
            y: 10
            width: parent.width - 24
            height: parent.height - 20
            ShelfColumn {
                anchors.fill: parent
                title: view.texts.desktop
                symbol: "desktopcomputer"
                items: view.service.desktopItems
                onOpenRequested: (path) => view.service.open(path)
                onDragRequested: (path) => view.service.dragOut(path)
            }
        }
    }
}
