import QtQuick
import QtQuick.Shapes
import Tavimor 1.0

// The outline around the notch. Its four values and its fill spring together to the shape model's targets,
// with the curve the model names for the change (opening, closing, or closing by the close button).
Shape {
    id: outline

    required property NotchShapeModel shapeModel

    readonly property var curve: shapeModel.spring === NotchShapeModel.Open ? Springs.open
                               : shapeModel.spring === NotchShapeModel.CloseButton ? Springs.closeButton
                               : Springs.close
    readonly property int curveDuration: shapeModel.spring === NotchShapeModel.Open ? Springs.openDuration
                                       : shapeModel.spring === NotchShapeModel.CloseButton ? Springs.closeButtonDuration
                                       : Springs.closeDuration

    property real topRadius: shapeModel.topRadius
    property real bottomRadius: shapeModel.bottomRadius
    property color fill: shapeModel.fillColor

    width: shapeModel.width
    height: shapeModel.height
    // Multisampled so the rounded corners are smooth; the layer is only as large as the outline.
    layer.enabled: true
    layer.samples: 4

    Behavior on width { NumberAnimation { easing: outline.curve; duration: outline.curveDuration } }
    Behavior on height { NumberAnimation { easing: outline.curve; duration: outline.curveDuration } }
    Behavior on topRadius { NumberAnimation { easing: outline.curve; duration: outline.curveDuration } }
    Behavior on bottomRadius { NumberAnimation { easing: outline.curve; duration: outline.curveDuration } }
    Behavior on fill { ColorAnimation { easing: outline.curve; duration: outline.curveDuration } }

    ShapePath {
        fillColor: outline.fill
        strokeWidth: -1
        PathSvg {
            path: outline.shapeModel.svgPath(outline.width, outline.height, outline.topRadius,
                                             outline.bottomRadius, outline.width / 2)
        }
    }
}
