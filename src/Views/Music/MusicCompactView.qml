import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// The player over the notch while the panel is closed: the cover at the left, the play-state marker at the
// right and a thin progress line between the music sides.
Item {
    id: view

    required property var model
    // The capsule behind the cover and the marker: the part of the notch band this view draws on. It spans the
    // view's width less these margins, whatever width the view springs through.
    readonly property Item backing: backingCapsule
    readonly property real backingSideMargins: row.anchors.leftMargin + row.anchors.rightMargin - 2 * backingPadding
    readonly property real backingPadding: 4
    readonly property bool liquid: Appearance.isLiquid
    // 1 while playing, 0 while paused; the play-state looks cross-fade along it.
    property real playLevel: model.isPlaying ? 1 : 0
    Behavior on playLevel {
        NumberAnimation {
            duration: 180
            easing.type: Easing.BezierSpline
            easing.bezierCurve: [0.42, 0, 0.58, 1, 1, 1]
        }
    }

    opacity: model.hasTrack ? 1 : 0
    visible: opacity > 0
    Behavior on opacity {
        NumberAnimation { duration: 180; easing.type: Easing.InOutQuad }
    }

    // Behind the cover and the play-state marker, which lie beside the notch over whatever the top of the
    // screen shows, a light title bar included: the compact bar's dark backing.
    Rectangle {
        id: backingCapsule
        objectName: "musicBacking"
        x: row.x - view.backingPadding
        y: row.y - 2
        width: row.width + 2 * view.backingPadding
        height: row.height + 4
        radius: height / 2
        color: Theme.liquidCardFill
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
                objectName: "coverShadow"
                z: -1
                anchors.fill: parent
                opacity: view.playLevel
                visible: opacity > 0
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

            LevelBars {
                objectName: "levelBars"
                anchors.fill: parent
                opacity: view.playLevel
                visible: opacity > 0
                // The bars move while they can be seen, fading out included.
                playing: visible
                color: Theme.accent
            }

            Row {
                objectName: "pauseSign"
                opacity: 1 - view.playLevel
                visible: opacity > 0
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
            color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.35 + 0.6 * view.playLevel)
        }
    }
}
