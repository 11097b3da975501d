import QtQuick
import QtQuick.Controls.Basic as Basic
import Tavimor 1.0
import "qrc:/Theme"

// The settings window's frame: a sidebar with one entry per section and the selected section beside it.
// Each section is the QML file at its `source`, created with its own view model as `model`.
Item {
    id: view

    required property var sections
    property int currentIndex: 0

    readonly property var currentSection: sections.length > 0
        ? sections[Math.min(currentIndex, sections.length - 1)] : null

    Rectangle {
        id: sidebar
        width: 150
        height: parent.height
        color: Theme.surface

        Column {
            x: 8
            y: 12
            width: parent.width - 16
            spacing: 2

            Repeater {
                model: view.sections
                delegate: Rectangle {
                    required property var modelData
                    required property int index
                    readonly property bool selected: index === view.currentIndex

                    objectName: "section:" + modelData.id
                    width: parent.width
                    height: 28
                    radius: 6
                    color: selected ? Theme.surfaceElevated : "transparent"

                    Row {
                        x: 8
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 8
                        SymbolIcon {
                            name: modelData.symbolName
                            size: 13
                            color: selected ? Theme.accent : Theme.secondaryLabel
                        }
                        Text {
                            text: modelData.title
                            textFormat: Text.PlainText
                            color: Theme.text
                            font.pixelSize: 13
                        }
                    }

                    MouseArea {
                        anchors.fill: parent
                        onClicked: view.currentIndex = index
                    }
                }
            }
        }
    }

    // The page scrolls with the wheel when the window is too short for the section.
    Flickable {
        objectName: "settingsPage"
        x: sidebar.width
        width: parent.width - sidebar.width
        height: parent.height
        contentHeight: page.height + 40
        boundsBehavior: Flickable.StopAtBounds
        clip: true

        Basic.ScrollBar.vertical: Basic.ScrollBar {
            id: scrollBar
            contentItem: Rectangle {
                implicitWidth: 4
                radius: 2
                visible: scrollBar.size < 1
                color: Theme.muted
                opacity: scrollBar.active ? 1 : 0.5
            }
        }

        Loader {
            id: page
            x: 20
            y: 20
            width: parent.width - 40

            function reload() {
                if (view.currentSection)
                    setSource(view.currentSection.source, { "model": view.currentSection.model });
                else
                    source = "";
            }
            Component.onCompleted: reload()
            Connections {
                target: view
                function onCurrentSectionChanged() { page.reload() }
            }
        }
    }
}
