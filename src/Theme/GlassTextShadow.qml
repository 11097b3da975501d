import QtQuick
import Tavimor 1.0

// Holds content that sits on glass. On liquid glass every text inside gets a soft shadow (black 40 %, blurred
// by 3 px, 1 px down); on the dark style it is shown as it is.
TextShadowScope {
    id: scope

    property bool liquid: Appearance.isLiquid
    default property alias content: scope.data

    shadowed: liquid
    implicitWidth: childrenRect.x + childrenRect.width
    implicitHeight: childrenRect.y + childrenRect.height
}
