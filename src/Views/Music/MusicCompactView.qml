import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// The player over the notch while the panel is closed: the cover at the left, the play-state marker at the
// right and a thin progress line between the music sides.
Item {
    id: view

    required property var model
    readonly property bool liquid: Appearance.isLiquid

    opacity: model.hasTrack ? 1 : 0
    visible: opacity > 0
    Behavior on opacity {
        NumberAnimation { duration: 180; easing.type: Easing.InOutQuad }
    }

    Item {
        id: row
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.leftMargin: Math.max(view.model.musicHorizontalInset - 4, 2)
        anchors.rightMargin: view.model.musicHorizontalInset
        anchors.bottomMargin: view.model.musicBottomInset + 10
        height: 24

        MusicCover {
            id: cover
            width: 24
            height: 24
            anchors.verticalCenter: parent.verticalCenter
            image: view.model.artwork
            radius: 5
            placeholderRadius: 6
            symbolSize: 10
            symbolWeight: Font.DemiBold
            placeholderColor: view.liquid ? Qt.rgba(1, 1, 1, 0.1) : Theme.surfaceElevated
            symbolColor: Theme.compactText

            BlurredShape {
                // The accent shadow while playing.
                z: -1
                anchors.fill: parent
                visible: view.model.isPlaying
                cornerRadius: cover.hasArtwork ? cover.radius : cover.placeholderRadius
                blur: 5
                color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.25)
            }

            Rectangle {
                anchors.fill: parent
                radius: 5
                color: "transparent"
                border.width: 1
                border.color: Qt.rgba(1, 1, 1, 0.2)
            }
        }

        Item {
            id: marker
            width: 18
            height: 14
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            property bool phase: false

            Row {
                visible: view.model.isPlaying
                anchors.bottom: parent.bottom
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 1.5
                onVisibleChanged: if (visible) marker.phase = true
                Component.onCompleted: if (visible) marker.phase = true

                Repeater {
                    model: [0.42, 0.78, 1.0, 0.62, 0.36]
                    delegate: Rectangle {
                        id: bar
                        required property real modelData
                        readonly property int halfPeriod: (modelData * 0.25 + 0.35) * 1000
                        property real level: 0
                        anchors.bottom: parent ? parent.bottom : undefined
                        width: 2
                        height: modelData * (3 + 9 * level)
                        radius: 1
                        color: Theme.accent

                        SequentialAnimation {
                            running: marker.phase && view.model.isPlaying && view.visible
                            loops: Animation.Infinite
                            NumberAnimation { target: bar; property: "level"; to: 1; duration: bar.halfPeriod; easing.type: Easing.InOutQuad }
                            NumberAnimation { target: bar; property: "level"; to: 0; duration: bar.halfPeriod; easing.type: Easing.InOutQuad }
                        }
                    }
                }
            }

            Row {
                visible: !view.model.isPlaying
                anchors.centerIn: parent
                spacing: 2.5
                Repeater {
                    model: 2
                    delegate: Rectangle { width: 3; height: 10; radius: 1; color: Theme.compactText }
                }
            }
        }
    }

    Item {
        id: line
        x: view.model.musicSideWidth
        width: Math.max(0, view.width - 2 * view.model.musicSideWidth)
        height: 2
        anchors.bottom: parent.bottom
        anchors.bottomMargin: view.model.musicBottomInset + 1

        Rectangle {
            objectName: "compactProgress"
            width: line.width * view.model.compactProgress
            height: 2
            radius: 1
            color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, view.model.isPlaying ? 0.95 : 0.35)
        }
    }
}
