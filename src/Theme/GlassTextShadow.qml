import QtQuick
import Qt5Compat.GraphicalEffects
import Tavimor 1.0

// Holds content that sits on glass. On liquid glass the content gets a soft shadow (black 40 %, radius 3,
// 1 px down); on the dark style it is shown as it is. One shadow layer for the whole content.
Item {
    id: shadowed

    property bool liquid: Appearance.isLiquid
    default property alias content: holder.data

    implicitWidth: holder.childrenRect.x + holder.childrenRect.width
    implicitHeight: holder.childrenRect.y + holder.childrenRect.height

    Item {
        id: holder
        anchors.fill: parent
        layer.enabled: shadowed.liquid
        layer.effect: DropShadow {
            radius: 3
            samples: 7
            horizontalOffset: 0
            verticalOffset: 1
            color: "#66000000"
        }
    }
}
