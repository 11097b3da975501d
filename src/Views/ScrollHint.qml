import QtQuick
import Tavimor 1.0

// A slim bar just right of a list that holds more than it shows: it says there is more to scroll to and
// where the view is. Place it beside the flickable, under the same parent; it shows only while the content
// overflows.
Rectangle {
    required property Flickable flickable

    objectName: "scrollHint"
    visible: flickable.visible && flickable.contentHeight > flickable.height + 1
    x: flickable.x + flickable.width + 3
    y: flickable.y + flickable.visibleArea.yPosition * flickable.height
    width: 2
    height: Math.max(10, flickable.visibleArea.heightRatio * flickable.height)
    radius: 1
    color: Theme.secondaryText(Appearance.isLiquid)
}
