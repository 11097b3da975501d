import QtQuick
import QtQuick.Shapes
import Tavimor 1.0
import "qrc:/Theme"

// An eye on a dark disc that grows in, blinks and fades; drawn at the reminder's scale.
Item {
    id: view

    required property QtObject state
    required property real scale
    // Where the disc lies once it has grown in: a window that cannot show what lies behind it is cut to it.
    readonly property rect outline: Qt.rect(stack.x, stack.y, stack.width, stack.height)

    Item {
        id: stack
        anchors.centerIn: parent
        width: 56 * view.scale
        height: width
        opacity: 0
        scale: 0.82

        states: State {
            name: "Shown"
            when: view.state.visible
            PropertyChanges { target: stack; opacity: 1; scale: 1 }
        }
        transitions: [
            Transition {
                to: "Shown"
                NumberAnimation { properties: "opacity,scale"; duration: Springs.blinkDuration; easing: Springs.blink }
            },
            Transition {
                from: "Shown"
                NumberAnimation {
                    properties: "opacity,scale"
                    duration: 300
                    easing.type: Easing.BezierSpline
                    easing.bezierCurve: [0.42, 0, 1, 1, 1, 1]
                }
            }
        ]

        BlurredShape {
            // The disc's shadow, 4 points down.
            y: 4 * view.scale
            width: parent.width
            height: parent.height
            cornerRadius: width / 2
            blur: 10 * view.scale
            color: Qt.rgba(0, 0, 0, 0.35)
        }

        Rectangle {
            id: disc
            anchors.fill: parent
            radius: width / 2
            color: Qt.rgba(0, 0, 0, 0.62)
        }

        Shape {
            // The disc's 1-point inner rim, brighter at the top than at the bottom.
            anchors.fill: parent
            // Multisampled on a GPU scene graph; the software one smooths the rim itself.
            layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
            layer.samples: 4

            ShapePath {
                strokeWidth: -1
                fillRule: ShapePath.OddEvenFill
                fillGradient: LinearGradient {
                    x1: 0
                    y1: 0
                    x2: 0
                    y2: disc.height
                    GradientStop { position: 0; color: Qt.rgba(1, 1, 1, 0.22) }
                    GradientStop { position: 1; color: Qt.rgba(1, 1, 1, 0.05) }
                }
                PathAngleArc {
                    centerX: disc.width / 2
                    centerY: disc.height / 2
                    radiusX: disc.width / 2
                    radiusY: radiusX
                    sweepAngle: 360
                }
                PathAngleArc {
                    moveToStart: true
                    centerX: disc.width / 2
                    centerY: disc.height / 2
                    radiusX: disc.width / 2 - 1
                    radiusY: radiusX
                    sweepAngle: 360
                }
            }
        }

        SymbolIcon {
            id: eye
            anchors.centerIn: parent
            name: "eye.fill"
            size: 22 * view.scale
            color: Theme.accent

            BlurredShape {
                objectName: "eyeGlow"
                z: -1
                anchors.fill: parent
                symbol: eye.name
                blur: 8 * view.scale
                color: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.6)
            }
            transform: Scale {
                origin.x: eye.width / 2
                origin.y: eye.height / 2
                yScale: view.state.closed ? 0.1 : 1
                Behavior on yScale {
                    NumberAnimation {
                        duration: 90
                        easing.type: Easing.BezierSpline
                        easing.bezierCurve: [0.42, 0, 0.58, 1, 1, 1]
                    }
                }
            }
        }
    }
}
