import QtQuick
import QtQuick.Shapes
import Tavimor 1.0

// The liquid-mode backing of the tab bar: a dark translucent capsule with a 1 px inner rim fading from
// brighter at the top to fainter at the bottom.
Item {
    id: capsule

    function capsulePath(inset) {
        const r = Math.max(0, height / 2 - inset);
        const left = inset + r;
        const right = Math.max(left, width - inset - r);
        const top = inset;
        const bottom = height - inset;
        return "M " + left + "," + top + " L " + right + "," + top
             + " A " + r + "," + r + " 0 0 1 " + right + "," + bottom
             + " L " + left + "," + bottom
             + " A " + r + "," + r + " 0 0 1 " + left + "," + top + " Z";
    }

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Theme.tabBarFill
    }

    Shape {
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
                y2: capsule.height
                GradientStop { position: 0; color: Qt.rgba(1, 1, 1, 0.28) }
                GradientStop { position: 1; color: Qt.rgba(1, 1, 1, 0.06) }
            }
            PathSvg { path: capsule.capsulePath(0) + " " + capsule.capsulePath(1) }
        }
    }
}
