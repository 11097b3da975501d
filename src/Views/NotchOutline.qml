import QtQuick
import QtQuick.Shapes
import Tavimor 1.0

// The outline around the notch. Its shape and its fill spring together to the shape model's targets, with the
// curve the model names for the change (opening, closing, or closing by the close button); one progress value
// carries the whole shape, so a frame builds the path once.
// The item keeps the size of the open outline plus room for the opening spring's overshoot (under 5 %), so
// its layer is built once rather than on every frame of an animation.
Item {
    id: outline

    required property NotchShapeModel shapeModel

    readonly property var curve: shapeModel.spring === NotchShapeModel.Open ? Springs.open
                               : shapeModel.spring === NotchShapeModel.CloseButton ? Springs.closeButton
                               : Springs.close
    readonly property int curveDuration: shapeModel.spring === NotchShapeModel.Open ? Springs.openDuration
                                       : shapeModel.spring === NotchShapeModel.CloseButton ? Springs.closeButtonDuration
                                       : Springs.closeDuration

    width: Math.ceil(shapeModel.openWidth * 1.1)
    height: Math.ceil(shapeModel.openHeight * 1.05)
    // Multisampled so the rounded corners are smooth on a GPU scene graph; the software one smooths them itself.
    layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
    layer.samples: 4

    NotchShapeMotion {
        id: motion
        model: outline.shapeModel
        onRetargeted: spring.restart()
    }

    NumberAnimation {
        id: spring
        target: motion
        property: "progress"
        from: 0
        to: 1
        easing: outline.curve
        duration: outline.curveDuration
    }

    Shape {
        id: shape

        property color fill: outline.shapeModel.fillColor

        x: Math.round((outline.width - width) / 2)
        width: motion.width
        height: motion.height

        Behavior on fill { ColorAnimation { easing: outline.curve; duration: outline.curveDuration } }

        ShapePath {
            id: shapePath
            fillColor: shape.fill
            strokeWidth: -1
            PathSvg { path: motion.svgPath }
        }

        // A Shape asks for one more frame whenever it takes in a change while a frame is being drawn, and that
        // frame finds nothing to draw. Taking each change in at once, when the animation moves it, leaves
        // nothing for the frame to take in: one frame per step of the spring. Connected here, after the
        // Shape's own handler, which marks the change.
        Component.onCompleted: shapePath.shapePathChanged.connect(shape.ensurePolished)
    }
}
