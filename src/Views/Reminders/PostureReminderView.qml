import QtQuick
import Tavimor 1.0
import "qrc:/Theme"

// A glowing arrow with a comet trail that fades in while it flies from the bottom to the top, then fades out.
Item {
    id: view

    required property QtObject state
    required property real scale

    readonly property real halfComet: 55 * scale + 4
    // The column the comet flies along: a window that cannot show what lies behind it is cut to it.
    readonly property rect outline: Qt.rect(comet.x, halfComet - comet.height / 2, comet.width,
                                            height - 2 * halfComet + comet.height)

    Item {
        id: comet
        width: 60 * view.scale
        height: 110 * view.scale
        x: view.width / 2 - width / 2
        y: (view.state.flying ? view.halfComet : view.height - view.halfComet) - height / 2
        opacity: view.state.opacity

        Behavior on y {
            enabled: view.state.flying
            NumberAnimation { duration: 1150; easing.type: Easing.BezierSpline; easing.bezierCurve: [0, 0, 0.58, 1, 1, 1] }
        }
        Behavior on opacity {
            NumberAnimation {
                // Fading in eases in over 0.22 s; fading out eases out over 0.35 s.
                duration: view.state.opacity > 0.5 ? 220 : 350
                easing.type: Easing.BezierSpline
                easing.bezierCurve: view.state.opacity > 0.5 ? [0.42, 0, 1, 1, 1, 1] : [0, 0, 0.58, 1, 1, 1]
            }
        }

        BlurredShape {
            // The trail: a softened capsule fading downward.
            anchors.horizontalCenter: parent.horizontalCenter
            y: 18 * view.scale
            width: 9 * view.scale
            height: 80 * view.scale
            cornerRadius: width / 2
            blur: 3 * view.scale
            color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.85)
            endColor: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0)
        }

        SymbolIcon {
            id: arrow
            anchors.horizontalCenter: parent.horizontalCenter
            name: "arrow.up"
            size: 30 * view.scale
            color: Theme.accent
            font.weight: Font.Black

            // Two glows: a wide faint one under a close bright one.
            BlurredShape {
                z: -1
                anchors.fill: parent
                symbol: arrow.name
                blur: 18 * view.scale
                color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.5)
            }
            BlurredShape {
                z: -1
                anchors.fill: parent
                symbol: arrow.name
                blur: 10 * view.scale
                color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.9)
            }
        }
    }
}
